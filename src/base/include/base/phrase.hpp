#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace palvarin {

// A text for people, kept as an English pattern and what fills it, so that each front end can
// word it in its user's language while the core knows no catalogue. Its English reading is
// the text the core has always produced: the JSON report and the tests read that.
class Phrase {
 public:
  Phrase() = default;
  // Text shown as it is in every language: a path, a name, a library's own message.
  Phrase(std::string text) : text_(std::move(text)) {}  // NOLINT(google-explicit-constructor)

  bool empty() const { return pattern_.empty() && text_.empty(); }

  // The text, each pattern first passed through `word` (a catalogue's lookup).
  std::string Render(const std::function<std::string_view(std::string_view)>& word) const;
  std::string English() const;

  // The patterns of this phrase and of its parts, outermost first.
  void ForEachPattern(const std::function<void(std::string_view)>& visit) const;

 private:
  friend Phrase Say(std::string_view pattern, std::vector<Phrase> parts);

  std::string_view pattern_;  // an English literal; empty for verbatim text
  std::vector<Phrase> parts_;
  std::string text_;
};

// `pattern`, an English literal with "{0}", "{1}", ... for `parts`. scripts/update-po gathers
// the literals given to Say (and to the file layer's failures) into the catalogue.
Phrase Say(std::string_view pattern, std::vector<Phrase> parts = {});

// `pattern` with "{0}", "{1}", ... replaced by `values`; translators may reorder them. Any
// other brace stays as it is.
std::string FillPattern(std::string_view pattern, std::span<const std::string_view> values);

}  // namespace palvarin
