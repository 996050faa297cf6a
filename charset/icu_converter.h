// ICU converters as owned objects, and the one code page 932 converter both
// directions use, so that a byte means the same thing in and out.
#pragma once

#include <unicode/ucnv.h>

#include <memory>

namespace mixconv {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Microsoft's code page 932 with its best-fit mappings (U+301C to 0x8160, for
// one); ICU's "Shift_JIS" would be the JIS table instead.
Converter OpenCp932Converter(UErrorCode& status);

}  // namespace mixconv
