#include "app/message_text.hpp"

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
    case kMessageInsideInput:
      return Tr(
          "The output is one of the copies or lies inside one.\n(Choose an output outside "
          "every input.)");
    case kMessageSamePath:
      return Tr(
          "The same file or folder has been set twice.\n(Set two different inputs, and a "
          "separate output that is neither of them.)");
    case kMessageMergeFinished:
      return Tr("The merge has finished.");
  }
  return {};
}

MessageId MessageFor(RefusalKind kind) {
  switch (kind) {
    case RefusalKind::NoPath:
      return kMessageNoPath;
    case RefusalKind::MissingPath:
      return kMessageMissingPath;
    case RefusalKind::NotFolder:
      return kMessageNotFolder;
    case RefusalKind::InsideInput:
      return kMessageInsideInput;
    case RefusalKind::SamePath:
      return kMessageSamePath;
    case RefusalKind::NotFile:
      break;
  }
  return kMessageNotFile;
}

namespace {

// "First input: {0}" and the like, for the path.
std::string_view FieldPattern(PathField field) {
  switch (field) {
    case PathField::First:
      return Tr("First input: {0}");
    case PathField::Second:
      return Tr("Second input: {0}");
    case PathField::Input:
      return Tr("Input: {0}");
    case PathField::Output:
      break;
  }
  return Tr("Output: {0}");
}

}  // namespace

std::string RefusalDetail(const Refusal& refusal) {
  const std::string_view path = refusal.path.empty() ? Tr("(not chosen)") : refusal.path;
  return Format(FieldPattern(refusal.field), {path});
}

std::string RefusalText(const Refusal& refusal) {
  return std::string(MessageText(MessageFor(refusal.kind))) + '\n' + RefusalDetail(refusal);
}

}  // namespace palvarin
