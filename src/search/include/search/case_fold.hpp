#pragma once

#include <string>
#include <string_view>

namespace palvarin {

// `text` (UTF-8) with every character replaced by its Unicode simple case folding (ICU's
// u_foldCase), so that "ÉCOLE" and "école", "ΣΑΣ" and "σας" fold alike. One character folds to
// one character: "ß" stays "ß" (the full folding "ss" is left out), and neither the text nor
// the folding is normalised (a precomposed "é" differs from "e" with a combining accent).
// Bytes that are no UTF-8 pass unchanged.
std::string FoldCase(std::string_view text);
// The same into `folded`, which it replaces: a buffer kept for many texts.
void FoldCase(std::string_view text, std::string& folded);

}  // namespace palvarin
