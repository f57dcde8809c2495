#include "send/PacketGrouping.h"

#include <cstdlib>

#include "send/CSendMsg.h"

namespace SMS {
namespace packing {

int carrierOf(const CPhoneNumMag& numbers, const std::string& phone) {
    if (numbers.isYDNumber(phone)) return kYD;
    if (numbers.isLTNumber(phone)) return kLT;
    if (numbers.isDXNumber(phone)) return kDX;
    if (numbers.isXLTNumber(phone)) return kXLT;
    return kNoCarrier;
}

namespace {

// A divisor below 1 would divide by zero or give negative counts.
std::int32_t atLeastOne(std::int32_t value) { return value < 1 ? 1 : value; }

}  // namespace

SegmentRule::SegmentRule(const CSmsSendStartInstance& settings)
    : perSms_{0, atLeastOne(settings.mobileCharsPerSms), atLeastOne(settings.unicomCharsPerSms),
              atLeastOne(settings.telecomCharsPerSms), atLeastOne(settings.phsCharsPerSms)} {}

int SegmentRule::count(int carrier, int chars) const {
    if (carrier <= kNoCarrier || carrier >= kCarrierSlots || chars <= 0) return 0;
    const std::int32_t n = perSms_[static_cast<std::size_t>(carrier)];
    return chars / n + (chars % n != 0 ? 1 : 0);
}

std::array<int, kCarrierSlots> SegmentRule::table(int chars) const {
    std::array<int, kCarrierSlots> counts{};
    for (int carrier = 0; carrier < kCarrierSlots; ++carrier) {
        counts[static_cast<std::size_t>(carrier)] = count(carrier, chars);
    }
    return counts;
}

int SegmentSource::of(int carrier, const std::string& text) const {
    if (common != nullptr) return (*common)[static_cast<std::size_t>(carrier)];
    return rule.count(carrier, CSendMsg().getMsgWord(text));
}

std::int32_t nextPacketId(const Platform::SystemTime& now, std::int32_t salt) {
    // Two statements, so that the two draws happen in this order.
    const int factorDraw = std::rand();
    const int offsetDraw = std::rand();
    // Unsigned arithmetic wraps like the 32-bit registers the ids were first
    // computed in, where signed overflow would be undefined (a large salt).
    const std::uint32_t factor = static_cast<std::uint32_t>(factorDraw % 99 + 1);
    const std::uint32_t sum = std::uint32_t{now.wYear} + now.wMonth + now.wDay + now.wHour +
                              now.wMinute + now.wSecond + static_cast<std::uint32_t>(salt);
    const std::uint32_t offset = static_cast<std::uint32_t>(offsetDraw % 100);
    return static_cast<std::int32_t>(factor * sum + offset);
}

Dmg::CSmsData minutesOf(const Platform::SystemTime& now) {
    return Dmg::CSmsData(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

Sizes sizesOf(int lastLeading, std::int32_t first, std::int32_t normal) {
    return Sizes{lastLeading, atLeastOne(first), atLeastOne(normal)};
}

std::string personalDisplayText(const std::string& firstText) {
    return "[个性短信]=例句=" + firstText;
}

}  // namespace packing
}  // namespace SMS
