#include "log_builder/time_zone.h"

#include <cstdlib>
#include <ctime>

namespace mixconv::log_builder {

void PinTimeZone() {
#ifdef _WIN32
  _putenv_s("TZ", "JST-9");
  _tzset();
#else
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
#endif
}

}  // namespace mixconv::log_builder
