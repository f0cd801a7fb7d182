// What the password screen (Form2) and the change-password screen (Form4) share: the layout,
// the boxes that empty on every click, the clue, and the recording of a new password.
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

class PasswordScreen : public QWidget {
    Q_OBJECT
  protected:
    QLineEdit* Text1 = nullptr;      // the password box, shown as "$"
    QLineEdit* Text2 = nullptr;      // the clue box
    QPushButton* Command1 = nullptr; // "Enter"
    QPushButton* Command2 = nullptr; // "I forgot my password"

    // designLeft: the window's first left edge, in twips.
    PasswordScreen(const QString& name, int designLeft);

    // "Enter".
    virtual void Command1_Click() = 0;

    // The "IMPORTANT" notice about leaving the password empty.
    void showImportantNotice();
    // Records the password box and the clue box (and read1 = "1" when markLoaded) in one write.
    // False when nothing was stored: the clue prompt was left as it was, or the data file could
    // not be written; the user has been told which.
    bool recordPassword(bool markLoaded);
    // Shows the main window, then unloads this screen.
    void openMainWindow();

    void closeEvent(QCloseEvent* event) override;

  private:
    // "I forgot my password": the stored clue.
    void Command2_Click();
};
