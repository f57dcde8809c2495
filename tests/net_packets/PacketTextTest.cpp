// Packet texts must read back exactly (any bytes), and a damaged or foreign
// text must be refused without touching the packet or reading out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

namespace {

using SMS::NET::CNetSendASend;
using SMS::NET::CNetSendBSend;
using SMS::NET::CNetTimerSendA;
using SMS::NET::CNetTimerSendB;

// Every member of each class, in declaration order: a head (the id or the
// schedule), the recipients and the text or texts.
template <class P, class Head, class Text>
auto fields(P& p, Head head, Text& text) {
    return std::tuple_cat(head,
                          std::tie(p.phones, p.carrierCodes, p.leadingFlags, p.encodedNames, text));
}
template <class P>
auto schedule(P& p) {
    return std::tie(p.timerId, p.timerDetail, p.scheduledYear, p.scheduledMonth, p.scheduledDay,
                    p.scheduledHour, p.scheduledMinute);
}
auto fields(CNetSendASend& p) { return fields(p, std::tie(p.packetId), p.commonText); }
auto fields(CNetSendBSend& p) { return fields(p, std::tie(p.packetId), p.texts); }
auto fields(CNetTimerSendA& p) { return fields(p, schedule(p), p.commonText); }
auto fields(CNetTimerSendB& p) { return fields(p, schedule(p), p.texts); }

template <class P>
bool same(P a, P b) { return fields(a) == fields(b); }

template <class P>
std::string textOf(const P& p) {
    std::string text = "left over";
    EXPECT_EQ(1, p.getPacketT(text));
    return text;
}

// Random members: any bytes, mostly small values, sometimes extreme ones and
// sizes past 127 so that multi-byte lengths and counts are covered too; the
// vectors get sizes of their own, as carrier codes may be fewer than phones.
struct Gen {
    explicit Gen(unsigned seed) : rng_(seed) {}
    void fill(int& v) {
        const int pick = below(4);
        v = pick == 0 ? INT_MIN : pick == 1 ? INT_MAX : pick == 2 ? below(9) - 4 : int(rng_());
    }
    void fill(std::string& s) {
        s.resize(below(8) == 0 ? below(400) : below(16));
        for (char& c : s) c = static_cast<char>(rng_());
    }
    template <class T>
    void fill(std::vector<T>& v) {
        v.resize(below(8) == 0 ? below(200) : below(6));
        for (T& item : v) fill(item);
    }
    template <class P>
    P packet() {
        P p;
        std::apply([this](auto&... f) { (fill(f), ...); }, fields(p));
        return p;
    }
    int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::mt19937 rng_;
};

template <class P>
class PacketTextTest : public ::testing::Test {};
using Kinds = ::testing::Types<CNetSendASend, CNetSendBSend, CNetTimerSendA, CNetTimerSendB>;
TYPED_TEST_SUITE(PacketTextTest, Kinds);

TYPED_TEST(PacketTextTest, RandomPacketsReadBackAndWriteTheSameText) {
    Gen gen(20240611);
    for (int i = 0; i < 2000; ++i) {
        SCOPED_TRACE(i);
        const TypeParam p = gen.packet<TypeParam>();
        const std::string text = textOf(p);
        TypeParam back = gen.packet<TypeParam>();  // parsing must replace every member
        ASSERT_EQ(1, back.getParseT(text));
        ASSERT_TRUE(same(p, back));
        ASSERT_EQ(text, textOf(back));
    }
}

// Every truncation and extension is refused with the packet untouched; every
// changed byte is refused so too, or gives a text the codec itself writes for
// what it parsed. Nothing is read out of bounds.
TYPED_TEST(PacketTextTest, DamagedTextsAreRefusedOrExact) {
    Gen gen(7);
    TypeParam p = gen.packet<TypeParam>();
    p.phones = {"13800138000", std::string(130, '\x88')};  // a two-byte length as well
    const std::string text = textOf(p);
    const TypeParam before = gen.packet<TypeParam>();
    const auto expectRefused = [&](const std::string& damaged) {
        SCOPED_TRACE(damaged.size());
        TypeParam q = before;
        ASSERT_TRUE(q.getParseT(damaged) == 0 && same(q, before));
    };
    for (std::size_t n = 0; n < text.size(); ++n) expectRefused(text.substr(0, n));
    for (const char extra : {'\0', '\x01', '\xff'}) expectRefused(text + extra);
    for (std::size_t at = 0; at < text.size(); ++at) {
        for (int b = 0; b < 256; ++b) {
            std::string changed = text;
            changed[at] = static_cast<char>(b);
            SCOPED_TRACE(testing::Message() << "byte " << at << " = " << b);
            TypeParam q = before;
            ASSERT_TRUE(q.getParseT(changed) == 0 ? same(q, before) : changed == textOf(q));
        }
    }
}

// The largest single allocation since the test last reset it.
std::size_t g_largest = 0;

// A count of entries that the rest of the text cannot hold is refused before
// room is made for them: 0xFFFFFFFF phones, or as many carrier codes.
TEST(PacketText, ImpossibleCountsReserveNothing) {
    for (const std::string& text : {std::string("\1\1\0\xff\xff\xff\xff\x0f", 8),
                                   std::string("\1\1\0\0\xff\xff\xff\xff\x0f", 9)}) {
        CNetSendASend p;
        g_largest = 0;
        EXPECT_EQ(p.getParseT(text), 0);
        EXPECT_LT(g_largest, 1000u);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    g_largest = std::max(g_largest, size);
    if (void* const p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Memory from the malloc above goes back with free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
