#include "texts/string_table.hpp"

#include "texts/catalogue.hpp"

namespace palvarin {

std::string_view MessageText(MessageId id) {
  switch (id) {
    case kMessageNoPath:
      return Tr("No input or output has been chosen.");
    case kMessageMissingPath:
      return Tr("A file or folder that does not exist has been set.");
    case kMessageNotFolder:
      return Tr("The inputs are not folders.\n(A file may have been set.)");
    case kMessageNotFile:
      return Tr("The inputs are not files.\n(A folder may have been set.)");
    case kMessageBadArguments:
      return Tr("The command line is not valid.\nCheck the help and set the arguments again.");
    case kMessageMergeFinished:
      return Tr("The merge has finished.");
  }
  return {};
}

}  // namespace palvarin
