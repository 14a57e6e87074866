#pragma once

#include <string>
#include <string_view>

namespace palvarin {

// `text` as a JSON string with its quotes. Quote, backslash and the control characters
// U+0000..U+001F are escaped; each byte that is not part of well-formed UTF-8 becomes U+FFFD,
// so the result is always valid UTF-8 and valid JSON.
std::string JsonString(std::string_view text);
// The same, appended to `out`.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace palvarin
