// How the log cache keeps each kind of a kinds table (zuvEComLogCatalogue.h's,
// in the cache): one slot per kind, in the table's order, that stores the
// kind's record, flags it and clears it. A kind with a record and flag of its
// own names (ZuvLogCache.h) uses them; any other gets a pair of its own, so a
// new kind is kept and flagged without an edit here.
// Errors: none; store() refuses ids and classes it does not keep.
// Threading: as ZuvLogCache.h: no lock, by design.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>

#include "ZuvLogCache.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::cache {

struct Slot {
    uint8_t msgId;
    bool *flag;
    void (*store)(const ZuvBinaryLogData &log);
    void (*clear)();
};

// The attitude and navigation records also carry the filter's status.
template <typename T, typename = void>
struct CarriesSolutionStatus : std::false_type {};
template <typename T>
struct CarriesSolutionStatus<T, std::void_t<decltype(T::solutionStatus)>> : std::true_type {};

inline void keepSolutionStatus(uint32_t solutionStatus) {
    gEkfStatus = solutionStatus;
    gNewEkfStatusReceived = true;
}

// Keeps record R in *Cached, flagged in *Flag.
template <catalogue::Record R, auto *Cached, bool *Flag>
constexpr Slot recordSlot(uint8_t msgId) {
    using Type = typename catalogue::RecordType<R>::Type;
    static_assert(std::is_same<std::remove_pointer_t<decltype(Cached)>, Type>::value,
                  "the cache holds the kind's record");
    return {msgId, Flag,
            [](const ZuvBinaryLogData &log) {
                *Cached = log.*catalogue::RecordType<R>::kMember;
                if constexpr (CarriesSolutionStatus<Type>::value) keepSolutionStatus(Cached->solutionStatus);
            },
            [] { *Cached = {}; }};
}

// The record and flag of a kind without names: one pair per kind of each table,
// so two kinds of one record type stay apart.
template <const auto &Kinds, size_t I>
inline typename catalogue::RecordType<Kinds[I].record>::Type gUnnamedRecord{};
template <const auto &Kinds, size_t I>
inline bool gUnnamedFlag = false;

template <size_t N>
constexpr int slotIndexOf(const Slot (&slots)[N], uint8_t msgId) {
    for (size_t i = 0; i < N; ++i) {
        if (slots[i].msgId == msgId) return static_cast<int>(i);
    }
    return -1;
}

// Kinds: an array of catalogue::LogKind; Named: the slots of the kinds with names.
template <const auto &Kinds, const auto &Named, size_t I>
constexpr Slot kindSlot() {
    constexpr uint8_t id = Kinds[I].msgId;
    constexpr int named = slotIndexOf(Named, id);
    if constexpr (named >= 0) {
        return Named[named];
    } else {
        return recordSlot<Kinds[I].record, &gUnnamedRecord<Kinds, I>, &gUnnamedFlag<Kinds, I>>(id);
    }
}

template <const auto &Kinds, const auto &Named, size_t... I>
constexpr std::array<Slot, sizeof...(I)> kindSlots(std::index_sequence<I...>) {
    return {kindSlot<Kinds, Named, I>()...};
}

template <const auto &Kinds, const auto &Named>
constexpr auto slotsFor() {
    return kindSlots<Kinds, Named>(std::make_index_sequence<std::size(Kinds)>());
}

// Keeps a log of class 0 or 1 whose id has a slot; sets its flag and the any-log flag.
template <size_t N>
bool store(const std::array<Slot, N> &slots, ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData &log) {
    if (msgClass != ZUV_ECOM_CLASS_LOG_ECOM_0 && msgClass != ZUV_ECOM_CLASS_LOG_ECOM_1) {
        return false;
    }
    for (const Slot &slot : slots) {
        if (slot.msgId == msgId) {
            slot.store(log);
            *slot.flag = true;
            gNewDataReceived = true;
            return true;
        }
    }
    return false;
}

template <size_t N>
void clearFlags(const std::array<Slot, N> &slots) {
    for (const Slot &slot : slots) *slot.flag = false;
    gNewEkfStatusReceived = false;
    gNewDataReceived = false;
}

template <size_t N>
void clear(const std::array<Slot, N> &slots) {
    clearFlags(slots);
    for (const Slot &slot : slots) slot.clear();
    gEkfStatus = 0;
}

}  // namespace zuv::cache
