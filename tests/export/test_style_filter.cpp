#include <gtest/gtest.h>

#include "export/style_filter.hpp"

namespace palvarin {
namespace {

// What a Style keeps: the allowed declarations with strictly checked values, nothing else.
TEST(SafeStyle, KeepsOnlyAllowedDeclarationsWithPlainValues) {
  const struct {
    const char* name;
    const char* style;
    const char* safe;
  } rows[] = {
      {"messenger's own", "font-family:MS Shell Dlg; color:#000000; ",
       "font-family:MS Shell Dlg;color:#000000;"},
      {"effects", "font-weight:BOLD; font-style:italic; text-decoration:underline line-through",
       "font-weight:bold;font-style:italic;text-decoration:underline line-through;"},
      {"japanese font and colour name", "font-family:ＭＳ Ｐゴシック; color:Navy",
       "font-family:ＭＳ Ｐゴシック;color:navy;"},
      {"url", "background:url(https://example.com/x.png); color:red", "color:red;"},
      {"url in an allowed property", "font-family:url(x); color:url(x)", ""},
      {"expression", "color:expression(alert(1))", ""},
      {"backslash escape", "font-family:\\61 bc; color:\\72 ed", ""},
      {"quotes", "font-family:\"a\"; color:'red'", ""},
      {"comment", "font-family:a/**/b", ""},
      {"bad colours", "color:#12; color:#12345g; color:rgb(1,2,3); color:red blue", ""},
      {"unknown keywords", "font-weight:heavy; font-style:wild; text-decoration:blink", ""},
      {"behaviour and binding", "behavior:url(x.htc); -moz-binding:url(x)", ""},
      {"bidi in a font name",
       "font-family:a\xE2\x80\xAE"
       "b",
       ""},
      {"no colon, empty parts", ";;color;:red;color:#a0c", "color:#a0c;"},
      // A colour the page's white would swallow hides the message.
      {"invisible or unreadable colours",
       "color:transparent; color:#fff; color:WHITE; color:#fefefe; color:yellow; color:#ccc", ""},
      {"readable colours", "color:#777;color:#000080;color:Maroon",
       "color:#777;color:#000080;color:maroon;"},
      {"unknown colour names", "color:currentcolor; color:rebeccapurplex", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(SafeStyle(row.style), row.safe) << row.name;
}

}  // namespace
}  // namespace palvarin
