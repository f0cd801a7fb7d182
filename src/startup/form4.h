// Form4: the change-password screen, opened from the main window's Password menu.
#pragma once

#include "startup/passwordscreen.h"

class Form4 : public PasswordScreen {
    Q_OBJECT
  public:
    Form4();
    // The "IMPORTANT" notice, on every new opening.
    void load();

  protected:
    void Command1_Click() override;
};
