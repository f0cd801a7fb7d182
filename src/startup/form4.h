// Form4: the change-password screen, opened from the main window's Password menu.
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

class Form4 : public QWidget {
    Q_OBJECT
  public:
    Form4();
    // The "IMPORTANT" notice, on every new opening.
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
};
