#include "MessageCatalogue.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <system_error>

namespace rukmox {
namespace {

// The layout of a .mo file, as the gettext manual describes it: a header of seven 32-bit words
// (magic number, revision, message count, offset of the table of original strings, offset of the
// table of translations, size and offset of a hash table), then the two tables of string
// descriptors (length without the terminating NUL, offset), then the strings. The byte order is
// the writer's; the magic number tells which. The hash table only speeds up lookups; we build
// our own index and never read it.
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderWords = 7;
constexpr std::size_t kDescriptorSize = 8;
constexpr std::uint32_t kNewestMajorRevision = 1;

class Words {
 public:
  Words(std::string_view bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  // The 32-bit word at `offset`; the caller has checked that it lies inside the bytes.
  std::uint32_t At(std::size_t offset) const {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(bytes_[offset + (bigEndian_ ? i : 3 - i)]);
      word = (word << 8) | byte;
    }
    return word;
  }

 private:
  std::string_view bytes_;
  bool bigEndian_;
};

// The reason, joined from its parts by appending (no temporaries joined with +).
bool Fail(std::string* why, std::initializer_list<std::string_view> parts) {
  if (why == nullptr) return false;
  why->clear();
  for (const std::string_view part : parts) why->append(part);
  return false;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing past
// U+10FFFF.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The value of header field `name` in a catalogue header ("Name: value" lines).
std::string FieldOf(std::string_view header, std::string_view name) {
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find('\n', start);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view line = header.substr(start, end - start);
    if (line.size() > name.size() && line.substr(0, name.size()) == name &&
        line[name.size()] == ':') {
      std::string_view value = line.substr(name.size() + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
        value.remove_suffix(1);
      return std::string(value);
    }
    start = end + 1;
  }
  return {};
}

// The character set a header declares, lower case; empty when it names none.
std::string CharsetOf(std::string_view header) {
  const std::string type = Lower(FieldOf(header, "Content-Type"));
  const std::size_t at = type.find("charset=");
  if (at == std::string::npos) return {};
  std::string charset = type.substr(at + 8);
  charset.erase(
      std::find_if(charset.begin(), charset.end(), [](char c) { return c == ';' || c == ' '; }),
      charset.end());
  return charset;
}

bool AcceptedCharset(std::string_view header, std::string* why) {
  const std::string charset = CharsetOf(header);
  if (charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "ascii" ||
      charset == "us-ascii")
    return true;
  return Fail(why, {"it is written in ", charset, "; the programs read UTF-8 catalogues only"});
}

}  // namespace

std::optional<MessageCatalogue> MessageCatalogue::FromBytes(std::string_view bytes,
                                                            std::string* why) {
  const std::uint64_t size = bytes.size();
  if (size < kHeaderWords * 4) {
    Fail(why, {"too short to be a message catalogue"});
    return std::nullopt;
  }
  bool bigEndian = false;
  if (Words(bytes, false).At(0) != kMagic) {
    bigEndian = true;
    if (Words(bytes, true).At(0) != kMagic) {
      Fail(why, {"not a message catalogue (no .mo magic number)"});
      return std::nullopt;
    }
  }
  const Words words(bytes, bigEndian);
  const std::uint32_t revision = words.At(4);
  if ((revision >> 16) > kNewestMajorRevision) {
    Fail(why, {"catalogue format revision ", std::to_string(revision >> 16), ".",
               std::to_string(revision & 0xFFFF), " is newer than this program reads"});
    return std::nullopt;
  }
  const std::uint64_t count = words.At(8);
  const std::uint64_t originals = words.At(12);
  const std::uint64_t translations = words.At(16);
  if (originals + count * kDescriptorSize > size || translations + count * kDescriptorSize > size) {
    Fail(why, {"its tables of ", std::to_string(count), " messages reach past its end"});
    return std::nullopt;
  }

  // The string a descriptor names, without its terminating NUL, which must be there.
  const auto stringAt = [&](std::uint64_t descriptor) -> std::optional<std::string_view> {
    const std::uint64_t length = words.At(static_cast<std::size_t>(descriptor));
    const std::uint64_t offset = words.At(static_cast<std::size_t>(descriptor + 4));
    if (offset + length >= size || bytes[static_cast<std::size_t>(offset + length)] != '\0')
      return std::nullopt;
    return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  };

  MessageCatalogue catalogue;
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto original = stringAt(originals + i * kDescriptorSize);
    const auto translation = stringAt(translations + i * kDescriptorSize);
    if (!original || !translation) {
      Fail(why, {"message ", std::to_string(i), " reaches past the end or is not terminated"});
      return std::nullopt;
    }
    // The header, the translation of the empty text, names the character set of the others.
    if (original->empty() && !AcceptedCharset(*translation, why)) return std::nullopt;
    if (!IsUtf8(*translation)) {
      Fail(why, {"the translation of message ", std::to_string(i), " is not UTF-8"});
      return std::nullopt;
    }
    // A plural message holds its forms NUL-separated; we use the first form of each.
    const std::string_view key = original->substr(0, original->find('\0'));
    const std::string_view text = translation->substr(0, translation->find('\0'));
    if (original->empty()) {
      catalogue.header_ = std::string(text);
      continue;
    }
    if (text.empty()) continue;  // an empty translation stands for none
    if (!catalogue.messages_.emplace(key, text).second) {
      Fail(why, {"message ", std::to_string(i), " comes twice"});
      return std::nullopt;
    }
  }
  return catalogue;
}

std::optional<MessageCatalogue> MessageCatalogue::FromFile(const std::string& path,
                                                           std::string* why) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    Fail(why, {path, ": ", error ? error.message() : std::string("is not a regular file")});
    return std::nullopt;
  }
  const auto closer = [](std::FILE* f) { std::fclose(f); };
  std::unique_ptr<std::FILE, decltype(closer)> file(std::fopen(path.c_str(), "rb"), closer);
  if (!file) {
    Fail(why, {path, ": ", std::strerror(errno)});
    return std::nullopt;
  }
  // Read at most one byte past the limit: a file that grows meanwhile stays bounded too.
  std::string bytes;
  char chunk[1 << 16];
  while (bytes.size() <= kMaxFileSize) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.append(chunk, got);
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) {
    Fail(why, {path, ": cannot be read"});
    return std::nullopt;
  }
  if (bytes.size() > kMaxFileSize) {
    Fail(why, {path, ": larger than ", std::to_string(kMaxFileSize >> 20),
               " MiB, too large to be a message catalogue"});
    return std::nullopt;
  }
  std::string problem;
  auto catalogue = FromBytes(bytes, &problem);
  if (!catalogue) Fail(why, {path, ": ", problem});
  return catalogue;
}

std::optional<std::string_view> MessageCatalogue::Find(std::string_view context,
                                                       std::string_view english) const {
  std::string key;
  if (!context.empty()) {
    key.reserve(context.size() + 1 + english.size());
    key += context;
    key += '\x04';
  }
  key += english;
  const auto found = messages_.find(key);
  if (found == messages_.end()) return std::nullopt;
  return std::string_view(found->second);
}

std::string MessageCatalogue::HeaderField(std::string_view name) const {
  return FieldOf(header_, name);
}

}  // namespace rukmox
