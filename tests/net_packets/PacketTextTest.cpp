// Packet texts must read back exactly (any bytes), and a damaged or foreign
// text must be refused without touching the packet or reading out of bounds.
#include <gtest/gtest.h>

#include <climits>
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

// Every member of each class, in declaration order.
auto fields(CNetSendASend& p) {
    return std::tie(p.packetId, p.phones, p.carrierCodes, p.leadingFlags, p.encodedNames,
                    p.commonText);
}
auto fields(CNetSendBSend& p) {
    return std::tie(p.packetId, p.phones, p.carrierCodes, p.leadingFlags, p.encodedNames,
                    p.texts);
}
auto fields(CNetTimerSendA& p) {
    return std::tie(p.timerId, p.timerDetail, p.scheduledYear, p.scheduledMonth, p.scheduledDay,
                    p.scheduledHour, p.scheduledMinute, p.phones, p.carrierCodes, p.leadingFlags,
                    p.encodedNames, p.commonText);
}
auto fields(CNetTimerSendB& p) {
    return std::tie(p.timerId, p.timerDetail, p.scheduledYear, p.scheduledMonth, p.scheduledDay,
                    p.scheduledHour, p.scheduledMinute, p.phones, p.carrierCodes, p.leadingFlags,
                    p.encodedNames, p.texts);
}

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
class Gen {
public:
    explicit Gen(unsigned seed) : rng_(seed) {}
    void fill(int& v) {
        const int pick = below(4);
        v = pick == 0 ? INT_MIN : pick == 1 ? INT_MAX : pick == 2 ? below(9) - 4
                                                                  : static_cast<int>(rng_());
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

private:
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

// A damaged text is refused with the packet untouched, or it is a text the
// codec itself would write for what it parsed; it never reads out of bounds.
template <class P>
void expectRefusedOrExact(const std::string& text, const P& before) {
    P p = before;
    if (p.getParseT(text) == 0) {
        ASSERT_TRUE(same(p, before));
    } else {
        ASSERT_EQ(text, textOf(p));
    }
}

TYPED_TEST(PacketTextTest, DamagedTextsAreRefusedOrExact) {
    Gen gen(7);
    TypeParam p = gen.packet<TypeParam>();
    p.phones = {"13800138000", std::string(130, '\x88')};  // a two-byte length as well
    const std::string text = textOf(p);
    const TypeParam before = gen.packet<TypeParam>();

    for (std::size_t n = 0; n < text.size(); ++n) {
        SCOPED_TRACE(n);
        TypeParam q = before;
        ASSERT_EQ(0, q.getParseT(text.substr(0, n)));
        ASSERT_TRUE(same(q, before));
    }
    for (const char extra : {'\0', '\x01', '\xff'}) {
        TypeParam q = before;
        EXPECT_EQ(0, q.getParseT(text + extra));
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        for (int b = 0; b < 256; ++b) {
            std::string changed = text;
            changed[at] = static_cast<char>(b);
            SCOPED_TRACE(testing::Message() << "byte " << at << " = " << b);
            expectRefusedOrExact(changed, before);
        }
    }
}

TEST(PacketText, HandMadeMalformedTextsAreRefused) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"header only", std::string("\x01\x01", 2)},
        {"other version", std::string("\x02\x01\x00\x00\x00\x00\x00\x00", 8)},
        {"count of 2^32-1 with nothing behind", std::string("\x01\x01\x00\xff\xff\xff\xff\x0f", 8)},
        {"string longer than the text", std::string("\x01\x01\x00\x01\x05" "abc", 8)},
        {"varint padded with a zero group", std::string("\x01\x01\x80\x00\x00\x00\x00\x00\x00", 9)},
        {"varint over 32 bits", std::string("\x01\x01\xff\xff\xff\xff\x1f\x00\x00\x00\x00\x00", 12)},
        {"garbage", "hello, world"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CNetSendASend p;
        EXPECT_EQ(0, p.getParseT(c.text));
    }
    CNetSendASend good;
    EXPECT_EQ(1, good.getParseT(std::string("\x01\x01\x00\x00\x00\x00\x00\x00", 8)));
}

template <class Target, class Source>
void expectForeignRefused(const std::string& text) {
    if constexpr (!std::is_same_v<Target, Source>) {
        Target p;
        p.phones = {"kept"};
        EXPECT_EQ(0, p.getParseT(text));
        EXPECT_EQ(std::vector<std::string>{"kept"}, p.phones);
    }
}

TYPED_TEST(PacketTextTest, TextOfAnotherKindIsRefused) {
    // Same member shapes (A and B differ only in the last member) must not
    // mix up either: an empty A text would otherwise read as an empty B.
    const std::string text = textOf(TypeParam{});
    expectForeignRefused<CNetSendASend, TypeParam>(text);
    expectForeignRefused<CNetSendBSend, TypeParam>(text);
    expectForeignRefused<CNetTimerSendA, TypeParam>(text);
    expectForeignRefused<CNetTimerSendB, TypeParam>(text);
}

}  // namespace
