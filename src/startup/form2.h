// Form2: the password screen that records a new password or checks the stored one at start-up.
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    Form2();
    // Set-password mode shows the "IMPORTANT" notice; check mode hides the clue box.
    void load();

    QLineEdit* Text1 = nullptr;      // the password box, shown as "$"
    QLineEdit* Text2 = nullptr;      // the clue box
    QPushButton* Command1 = nullptr; // "Enter"
    QPushButton* Command2 = nullptr; // "I forgot my password"

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Command1_Click();
    void Command2_Click();
    void openMainWindow();
};
