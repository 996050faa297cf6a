#include "job/output_catalogue.h"

#include <algorithm>
#include <iterator>

namespace mixconv {

namespace {

constexpr Output kOutputs[] = {
#include "output_rows.inc"
};

template <typename Matches>
const Output* Find(Matches matches) {
  const auto* found = std::find_if(std::begin(kOutputs), std::end(kOutputs), matches);
  return found == std::end(kOutputs) ? nullptr : found;
}

}  // namespace

std::span<const Output> Outputs() { return kOutputs; }

const Output* OutputLabelled(int label) {
  return Find([label](const Output& output) { return output.label == label; });
}

const Output* OutputOfPage(std::string_view value) {
  return Find([value](const Output& output) {
    return output.OfferedBy(kOfferedByPage) && output.pageValue == value;
  });
}

const Output* OutputFor(MessageForm form, Destination destination) {
  return Find([form, destination](const Output& output) {
    return output.form == form && output.destination == destination;
  });
}

}  // namespace mixconv
