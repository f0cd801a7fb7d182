// Form2: the password screen that records a new password or checks the stored one at start-up.
#pragma once

#include "startup/passwordscreen.h"

class Form2 : public PasswordScreen {
    Q_OBJECT
  public:
    Form2();
    // Set-password mode shows the "IMPORTANT" notice; check mode hides the clue box.
    void load();

  protected:
    void Command1_Click() override;
};
