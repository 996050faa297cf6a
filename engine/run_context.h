// What the current run was asked for, read by every stage of the conversion.
#pragma once

#include "convert.h"

namespace mixconv {

struct RunContext {
  const char* programName = "";
  const char* fullName = "";
  const char* mailAddress = "";
  const char* mailDomain = ServiceMailDomain;
  bool failureReported = false;
};

// One conversion at a time: the engine's working storage is single-instance.
extern RunContext CurrentRun;

}  // namespace mixconv
