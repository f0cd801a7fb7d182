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
    // The set menu entry of slot 1 .. 5 (Set1, set2 .. set5).
    QAction* SetEntry(int slot) const { return m_setEntries.at(slot - 1); }
    // The set name that the menu entry of slot 1 .. 5 shows (its caption without the escaping
    // of "&" that keeps the menu from taking it for an access letter).
    QString setName(int slot) const;

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

    // Whether the data-file section of a set of that slot (its tag, "set 1" .. "set 5") and
    // name would be the program's own (Reserved) or another slot's set (AnotherSet), as the data
    // file names the sets now. Letter case makes no difference to a section name.
    enum class Clash { None, Reserved, AnotherSet };
    static Clash clashOf(const QString& name, const QString& slotTag);

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
