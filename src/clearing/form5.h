// Form5: the progress window of Clear Current Set.
#pragma once

#include "clearing/progresswindow.h"

#include "core/notice.h"

class Form5 : public ProgressWindow {
    Q_OBJECT
  public:
    // Clears the set of slot 1 .. 5.
    explicit Form5(int slot);

  protected:
    void runSequence() override;

  private:
    int m_slot;
    Core::Notice m_failure; // why the set was not cleared whole, for the report at the end
};
