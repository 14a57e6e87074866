#pragma once

#include <QDialog>
#include <atomic>
#include <string>

#include "job/job_observer.hpp"
#include "job/run_merge_job.hpp"
#include "state/merge_settings.hpp"
#include "ui/dialog/palvarin_dlg_controls.hpp"

namespace palvarin {

class ProgressRelay;
class MessagePresenter;
class PathChooser;
class ProfileStore;

// The main dialog: shows and edits one MergeSettings record and runs the merge job on OK.
// Object names of its controls: see PalvarinDlgControls. It never writes the profile itself;
// the job driver saves the settings after a job it ran.
class CPalvarinDlg : public QDialog, private JobObserver {
 public:
  // The three path fields a browse button can fill.
  enum class PathField { Path1, Path2, PathSave };

  CPalvarinDlg(const MergeSettings& settings, ProfileStore& profile, MessagePresenter& messages,
               PathChooser& chooser, QWidget* parent = nullptr);

  // The record as last read from the controls.
  const MergeSettings& Settings() const { return settings_; }

  // Sets the four texts that name files or folders after the record's input kind.
  void RelabelForInTarget();
  // Enables the output path, the backup controls and the unchanged skip after the record's
  // output kind.
  void UpdateControlStates();
  // Lets the user pick a file or a folder (after the input kind) for `field`.
  void BrowseForPath(PathField field);
  // Checks the paths, runs the job off the GUI thread with a progress window, lists what it did
  // and closes; stays open when refused.
  void OnOK();
  // Opens the help dialog over this one (the help button, F1).
  void ShowHelp();
  // The gather window, modal over this one.
  void ShowGather();
  // True when the job run from the dialog left a pair or a copy failed.
  bool JobFailed() const { return jobFailed_; }
  // Items the job has started, and how many of them on the GUI thread (which must be none).
  int ItemsStarted() const { return itemsStarted_.load(); }
  int ItemsStartedOnGuiThread() const { return itemsOnGuiThread_.load(); }

 private:
  // Shows in the title and the progress window that the job waits for another job.
  void WaitingForOtherJob() override;
  void ItemStarted(const JobProgress& item) override;
  void ItemFinished(const JobProgress& item) override;
  // Runs the job on a thread of its own while the progress window keeps this one turning.
  JobResult RunJobOffGuiThread(bool rescue);
  void Connect();
  // Controls to record, all or nothing; false (after telling the user) when the maximum is
  // not a whole number from 0 to 100.
  bool ReadControls();
  // Record to controls.
  void WriteControls();
  std::string& Field(PathField field);

  MergeSettings settings_;
  ProfileStore& profile_;
  MessagePresenter& messages_;
  PathChooser& chooser_;
  PalvarinDlgControls controls_;
  bool jobFailed_ = false;
  ProgressRelay* relay_ = nullptr;  // while a job runs
  std::atomic<int> itemsStarted_{0};
  std::atomic<int> itemsOnGuiThread_{0};
};

}  // namespace palvarin
