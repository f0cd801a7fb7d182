// Form1: the main window, the set editor with its menus and thirty entry boxes.
#pragma once

#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;

class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    Form1();

    // The load handler: default names on first use, menu captions, the no-set state, read1.
    void load();

    // The text of Text31 while no set is chosen.
    static const QString NoSetPhrase;

  signals:
    // The Reset and Password menus' commands, which other windows carry out; slot is 0 before a
    // set is chosen.
    void clearCurrentSetChosen(int slot);
    void clearAllChosen();
    void changePasswordChosen();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildMenus();

    // Text(1) .. Text(31): the entry boxes and the top box.
    QLineEdit* Text(int n) const { return m_text.at(n - 1); }
    // The set menu entry of slot 1 .. 5 (Set1, set2 .. set5).
    QAction* SetEntry(int slot) const { return m_setEntries.at(slot - 1); }

    void chooseSet(int slot);
    void saveSet();
    void entryChanged();
    // False, with the failure shown, when the names could not be read.
    bool showSetNames();

    void showAbout();
    void showOtherSoftware();
    void showWebsite();
    void showSuggestions();
    void exitProgram();

    QLabel* Label1 = nullptr; // the slot tag
    QLabel* Label2 = nullptr; // the status line
    QAction* asset1 = nullptr;

    std::array<QLineEdit*, 31> m_text{};
    std::array<QAction*, 5> m_setEntries{};
    int m_slot = 0; // 1 .. 5, 0 before a set is chosen
};
