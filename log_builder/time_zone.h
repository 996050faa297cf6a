// The logs' dates are Japan's: a text's local time matches its index time nine
// hours east of UTC, the zone that conversions of them run in.
#pragma once

namespace mixconv::log_builder {

void PinTimeZone();

}  // namespace mixconv::log_builder
