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

    // Text(1) .. Text(31): the entry boxes and the top box.
    QLineEdit* Text(int n) const { return m_text.at(n - 1); }
    // The boxes of entry 1 .. 15: its name (Text1, Text3 .. Text29) and its number (Text2, Text4
    // .. Text30).
    QLineEdit* NameBox(int entry) const { return Text(2 * entry - 1); }
    QLineEdit* NumberBox(int entry) const { return Text(2 * entry); }
    // The set menu entry of slot 1 .. 5 (Set1, set2 .. set5).
    QAction* SetEntry(int slot) const { return m_setEntries.at(slot - 1); }
    // The set name that the menu entry of slot 1 .. 5 shows (its caption without the escaping
    // of "&" that keeps the menu from taking it for an access letter).
    QString setName(int slot) const;
    // The slot chosen (1 .. 5) as the slot tag says, 0 before a set is chosen.
    int currentSlot() const;

    // The warning that a set must be chosen first.
    static void remindToChooseASet();

    QLabel* Label1 = nullptr; // the slot tag
    QLabel* Label2 = nullptr; // the status line

    QMenu* file = nullptr;
    QMenu* sets = nullptr;
    QMenu* save = nullptr;
    QMenu* reset = nullptr;
    QMenu* pws = nullptr;
    QMenu* rmt = nullptr;

    QAction* About = nullptr;
    QAction* Exit = nullptr;
    QAction* asset1 = nullptr;
    QAction* curset = nullptr;
    QAction* all = nullptr;
    QAction* changep = nullptr;
    QAction* others = nullptr;
    QAction* website = nullptr;
    QAction* sugs = nullptr;

    // The text of Text31 while no set is chosen.
    static const QString NoSetPhrase;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildMenus();

    void chooseSet(int slot);
    void saveSet();
    void entryChanged();
    void showSetNames();

    void showAbout();
    void showOtherSoftware();
    void showWebsite();
    void showSuggestions();
    void exitProgram();

    std::array<QLineEdit*, 31> m_text{};
    std::array<QAction*, 5> m_setEntries{};
};
