#pragma once

#include <QDialog>
#include <string>

#include "job/job_observer.hpp"
#include "palvarin_dlg_controls.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

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
  // Enables the output path and the backup controls after the record's output kind.
  void UpdateControlStates();
  // Lets the user pick a file or a folder (after the input kind) for `field`.
  void BrowseForPath(PathField field);
  // Checks the paths, runs the job, reports it and closes; stays open when refused.
  void OnOK();
  // True when the job run from the dialog left a pair or a copy failed.
  bool JobFailed() const { return jobFailed_; }

 private:
  // Shows in the title that the job waits, while the job holds this thread.
  void WaitingForOtherJob() override;
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
};

}  // namespace palvarin
