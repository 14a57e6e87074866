#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "job/job_observer.hpp"
#include "state/merge_settings.hpp"

namespace palvarin::test {

// A job over `first` and `second` (files or folders): over both, or into `output` when one is
// given. No backups, and pairs alike in size and time are merged all the same.
inline MergeSettings JobSettings(InTarget in, const std::filesystem::path& first,
                                 const std::filesystem::path& second,
                                 const std::filesystem::path& output = {}) {
  MergeSettings settings;
  settings.InTarget = in;
  settings.OutTarget = output.empty() ? OutTarget::OverWrite : OutTarget::OtherFile;
  settings.Path1 = first;
  settings.Path2 = second;
  settings.PathSave = output;
  settings.CreateBackup = false;
  settings.NotMergeSameDatetime = false;
  return settings;
}

// The observer of a job that no other job runs beside: a wait for one fails the test and
// stops the job, so that a lock never let go cannot hang the test.
class LoneJob : public JobObserver {
 public:
  void WaitingForOtherJob() override {
    ADD_FAILURE() << "no other job holds these files";
    waited_ = true;
  }
  bool StopRequested() override { return waited_; }

 private:
  std::atomic<bool> waited_ = false;
};

}  // namespace palvarin::test
