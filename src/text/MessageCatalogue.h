// One language's compiled message catalogue: the binary .mo file msgfmt writes from a
// translator's .po file. Messages are looked up by their English text, with the context that
// tells apart texts spelled alike (msgctxt). Only UTF-8 catalogues are taken; a file that is
// damaged, truncated or larger than any catalogue of ours is refused as a whole, with the reason.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace rukmox {

class MessageCatalogue {
 public:
  // Our catalogues take some tens of kilobytes; anything this large is not one of them.
  static constexpr std::size_t kMaxFileSize = 4u << 20;

  // The catalogue in `bytes`; nothing, with the reason in `why`, when they are not a UTF-8
  // catalogue.
  static std::optional<MessageCatalogue> FromBytes(std::string_view bytes, std::string* why);
  // The catalogue in the file at `path`, read whole when it is no larger than kMaxFileSize.
  static std::optional<MessageCatalogue> FromFile(const std::string& path, std::string* why);

  // The translation of `english` in `context` (empty: none); nothing when the catalogue does
  // not hold it. The view stays valid as long as the catalogue.
  std::optional<std::string_view> Find(std::string_view context, std::string_view english) const;

  // The number of translated messages, the header not counted.
  std::size_t Size() const { return messages_.size(); }

  // The value of a header field, as "Language" or "Plural-Forms"; empty when there is none.
  std::string HeaderField(std::string_view name) const;

 private:
  // "context\x04english" or "english": the key gettext itself builds.
  std::map<std::string, std::string, std::less<>> messages_;
  std::string header_;
};

}  // namespace rukmox
