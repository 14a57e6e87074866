#include "export/style_filter.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>

#include "base/utf8_text.hpp"

namespace palvarin {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lowered;
}

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool FontFamilyIsSafe(std::string_view value) {
  if (value.empty() || value.size() > 200) return false;
  while (!value.empty()) {
    const std::size_t length = Utf8Length(value);
    if (length == 0) return false;
    const auto c = static_cast<unsigned char>(value[0]);
    if (length == 1 && !IsAsciiLetter(c) && !std::isdigit(c) && c != ' ' && c != ',' && c != '-' &&
        c != '_') {
      return false;
    }
    const std::uint32_t point = CodePoint(value.substr(0, length));
    if (IsControlCharacter(point) || IsBidiControl(point)) return false;
    value.remove_prefix(length);
  }
  return true;
}

// The named colours a history may give, with their values; any other name (transparent,
// currentcolor, a name a browser may not know) is dropped with its declaration.
std::optional<std::uint32_t> NamedColor(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, std::uint32_t>, 20> kNames = {{
      {"black", 0x000000},   {"silver", 0xC0C0C0}, {"gray", 0x808080},  {"grey", 0x808080},
      {"white", 0xFFFFFF},   {"maroon", 0x800000}, {"red", 0xFF0000},   {"purple", 0x800080},
      {"fuchsia", 0xFF00FF}, {"green", 0x008000},  {"lime", 0x00FF00},  {"olive", 0x808000},
      {"yellow", 0xFFFF00},  {"navy", 0x000080},   {"blue", 0x0000FF},  {"teal", 0x008080},
      {"aqua", 0x00FFFF},    {"orange", 0xFFA500}, {"brown", 0xA52A2A}, {"pink", 0xFFC0CB},
  }};
  for (const auto& [known, value] : kNames) {
    if (known == name) return value;
  }
  return std::nullopt;
}

// The value of "#rgb", "#rrggbb" or a known name, as 0xRRGGBB.
std::optional<std::uint32_t> ColorValue(std::string_view value) {
  if (!value.starts_with('#')) return NamedColor(value);
  const std::string_view digits = value.substr(1);
  if ((digits.size() != 3 && digits.size() != 6) ||
      !std::all_of(digits.begin(), digits.end(),
                   [](unsigned char c) { return std::isxdigit(c) != 0; })) {
    return std::nullopt;
  }
  std::uint32_t rgb = 0;
  for (const char c : digits) {
    const std::uint32_t digit = std::isdigit(static_cast<unsigned char>(c))
                                    ? static_cast<std::uint32_t>(c - '0')
                                    : static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
    rgb = digits.size() == 3 ? (rgb << 8) | (digit * 0x11) : (rgb << 4) | digit;
  }
  return rgb;
}

// The relative luminance of a colour, as the web's accessibility guidelines define it.
double Luminance(std::uint32_t rgb) {
  const auto channel = [](std::uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(rgb >> 16) + 0.7152 * channel((rgb >> 8) & 0xFF) +
         0.0722 * channel(rgb & 0xFF);
}

// A colour people can read on `background`: a contrast of 3:1 or more. Anything less would let
// a history hide a message on the page, or make it as good as hidden.
bool ColorIsSafe(std::string_view value, std::uint32_t background) {
  const std::optional<std::uint32_t> rgb = ColorValue(value);
  if (!rgb) return false;
  const double a = Luminance(*rgb) + 0.05;
  const double b = Luminance(background) + 0.05;
  return std::max(a, b) / std::min(a, b) >= 3.0;
}

template <std::size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& words) {
  return std::find(words.begin(), words.end(), value) != words.end();
}

bool WeightIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 13> kWeights = {
      "normal", "bold", "bolder", "lighter", "100", "200", "300",
      "400",    "500",  "600",    "700",     "800", "900"};
  return OneOf(value, kWeights);
}

bool FontStyleIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 3> kStyles = {"normal", "italic", "oblique"};
  return OneOf(value, kStyles);
}

bool DecorationIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 4> kLines = {"none", "underline", "line-through",
                                                             "overline"};
  bool any = false;
  while (!(value = Trimmed(value)).empty()) {
    const std::size_t end = std::min(value.find(' '), value.size());
    if (!OneOf(value.substr(0, end), kLines)) return false;
    value.remove_prefix(end);
    any = true;
  }
  return any;
}

}  // namespace

std::string SafeStyle(std::string_view style, std::uint32_t background) {
  std::string safe;
  while (!style.empty()) {
    const std::size_t end = std::min(style.find(';'), style.size());
    const std::string_view declaration = style.substr(0, end);
    style.remove_prefix(std::min(end + 1, style.size()));
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = Lowered(Trimmed(declaration.substr(0, colon)));
    const std::string_view value = Trimmed(declaration.substr(colon + 1));
    // Keywords compare in lower case; a font's name keeps its letters.
    const std::string keyword = Lowered(value);
    bool keep = false;
    if (property == "font-family") {
      keep = FontFamilyIsSafe(value);
    } else if (property == "color") {
      keep = ColorIsSafe(keyword, background);
    } else if (property == "font-weight") {
      keep = WeightIsSafe(keyword);
    } else if (property == "font-style") {
      keep = FontStyleIsSafe(keyword);
    } else if (property == "text-decoration") {
      keep = DecorationIsSafe(keyword);
    }
    if (!keep) continue;
    ((((safe += property) += ':') += property == "font-family" ? std::string(value) : keyword)) +=
        ';';
  }
  return safe;
}

}  // namespace palvarin
