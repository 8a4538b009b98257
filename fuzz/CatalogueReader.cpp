// The reader of compiled message catalogues (.mo): any bytes must end in a catalogue whose
// lookups stay inside it, or in a reason, never in a crash, a read out of bounds or a hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "MessageCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string why;
  const auto catalogue = rukmox::MessageCatalogue::FromBytes(bytes, &why);
  if (!catalogue) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  // Lookups of what our catalogues hold, and of the header's fields.
  for (const char* context : {"", "entry 0", "entry 28", "PinNone"})
    for (const char* english : {"English", "none", "\xC2\xA0remote devices."})
      if (const auto text = catalogue->Find(context, english)) (void)text->size();
  (void)catalogue->HeaderField("Content-Type");
  return 0;
}
