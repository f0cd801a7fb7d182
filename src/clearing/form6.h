// Form6: the progress window of Clear All.
#pragma once

#include "clearing/progresswindow.h"

class Form6 : public ProgressWindow {
    Q_OBJECT
  public:
    Form6();

  protected:
    void runSequence() override;
};
