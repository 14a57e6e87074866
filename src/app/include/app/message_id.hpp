#pragma once

namespace palvarin {

// Ids of the program's messages.
enum MessageId : int {
  kMessageNoPath = 200,         // a path the job needs is empty (dialog)
  kMessageMissingPath = 201,    // a path does not exist
  kMessageNotFolder = 202,      // folder job with a file among the paths
  kMessageNotFile = 203,        // file job with a folder among the inputs
  kMessageBadArguments = 204,   // the command line cannot be used
  kMessageInsideInput = 205,    // a gather's output is an input or inside one
  kMessageSamePath = 206,       // one file or folder given twice
  kMessageMergeFinished = 250,  // the job ran
};

}  // namespace palvarin
