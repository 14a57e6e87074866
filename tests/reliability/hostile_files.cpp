#include "hostile_files.hpp"

#include "support/history_builder.hpp"

namespace palvarin::test {

std::string SecondPcHistory() { return OneMessageHistory("from the second pc", "13:00:00"); }

std::string WithDoctype(const std::string& history, const std::string& doctype) {
  std::string text = history;
  text.insert(text.find("<Log"), doctype);
  return text;
}

std::string Nested(int depth, const std::string& bottom) {
  std::string text;
  text.reserve(static_cast<std::size_t>(depth) * 7 + bottom.size());
  for (int i = 0; i < depth; ++i) text += "<b>";
  text += bottom;
  for (int i = 0; i < depth; ++i) text += "</b>";
  return text;
}

ProcessResult PairJob::Run() const {
  return RunPalvarin({"/n", "/f", "/o", "/nb", "/p1", first, "/p2", second}, folder.Path(),
                     folder / "profile.sqlite3");
}

}  // namespace palvarin::test
