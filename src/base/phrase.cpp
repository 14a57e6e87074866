#include "base/phrase.hpp"

namespace palvarin {

Phrase Say(std::string_view pattern, std::vector<Phrase> parts) {
  Phrase phrase;
  phrase.pattern_ = pattern;
  phrase.parts_ = std::move(parts);
  return phrase;
}

std::string Phrase::Render(const std::function<std::string_view(std::string_view)>& word) const {
  if (pattern_.empty()) return text_;
  std::vector<std::string> rendered;
  rendered.reserve(parts_.size());
  for (const Phrase& part : parts_) rendered.push_back(part.Render(word));
  const std::vector<std::string_view> values(rendered.begin(), rendered.end());
  return FillPattern(word(pattern_), values);
}

std::string Phrase::English() const {
  return Render([](std::string_view english) { return english; });
}

void Phrase::ForEachPattern(const std::function<void(std::string_view)>& visit) const {
  if (pattern_.empty()) return;
  visit(pattern_);
  for (const Phrase& part : parts_) part.ForEachPattern(visit);
}

std::string FillPattern(std::string_view pattern, std::span<const std::string_view> values) {
  std::string text;
  text.reserve(pattern.size());
  while (!pattern.empty()) {
    const std::size_t open = pattern.find('{');
    text += pattern.substr(0, open);
    if (open == std::string_view::npos) break;
    pattern.remove_prefix(open);
    const std::size_t close = pattern.find('}');
    const std::string_view inside =
        pattern.substr(1, close == std::string_view::npos ? 0 : close - 1);
    if (close != std::string_view::npos && inside.size() == 1 && inside[0] >= '0' &&
        inside[0] <= '9' && static_cast<std::size_t>(inside[0] - '0') < values.size()) {
      text += values[static_cast<std::size_t>(inside[0] - '0')];
      pattern.remove_prefix(close + 1);
    } else {
      text += '{';
      pattern.remove_prefix(1);
    }
  }
  return text;
}

}  // namespace palvarin
