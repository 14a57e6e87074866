#pragma once

namespace palvarin {

// What a running job tells its front end while it runs; the front end words it.
class JobObserver {
 public:
  virtual ~JobObserver() = default;
  // Another Palvarin job holds files this job needs: called once, before this job waits.
  virtual void WaitingForOtherJob() = 0;
};

}  // namespace palvarin
