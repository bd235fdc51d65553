// The field list of ship motion, the one log with a layout that no catalogue
// kind offers; the catalogue holds every other record's list.
// Threading: compile-time lists; no state.
#pragma once

#include "codec/wireFields.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::catalogue {

template <>
struct Fields<ZuvLogShipMotionData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.mainHeavePeriod), v(d.shipMotion), v(d.shipAccel), v(d.shipVel);
    }
};

}  // namespace zuv::catalogue

namespace zuv::logs {

using catalogue::Fields;

template <typename Record>
constexpr size_t layoutSizeOf() {
    Record record{};
    FieldSize counter;
    Fields<Record>::visit(counter, record);
    return counter.size;
}

}  // namespace zuv::logs
