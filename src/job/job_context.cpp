#include "job_context.hpp"

#include <filesystem>

namespace palvarin {

bool JobContext::StopRequested() {
  if (stopped_.load()) return true;
  if ((stop_ != nullptr && stop_->Raised()) || observer_.StopRequested()) stopped_.store(true);
  return stopped_.load();
}

JobProgress StageProgress::Describe(std::size_t index, JobItemKind kind, const std::string& path,
                                    std::size_t finished) const {
  JobProgress item;
  item.stage = stage_;
  item.kind = kind;
  item.index = index;
  item.total = context_.Planned();
  item.finished = finished;
  item.name = std::filesystem::path(path).filename().string();
  return item;
}

bool StageProgress::Start(std::size_t index, JobItemKind kind, const std::string& path,
                          bool stoppable) {
  if (stoppable && context_.StopRequested()) return false;
  context_.Observer().ItemStarted(Describe(index, kind, path, context_.Finished()));
  return true;
}

void StageProgress::Finish(std::size_t index, JobItemKind kind, const std::string& path) {
  const std::size_t finished = context_.Finish();
  context_.Observer().ItemFinished(Describe(index, kind, path, finished));
}

}  // namespace palvarin
