// The program's only way to the toolkit's message boxes, clock and program end, so that tests
// can answer every box and run timed sequences in virtual time.
#pragma once

#include <QString>

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // A modal box with one OK button and no icon.
    virtual void notice(const QString& text, const QString& title) = 0;
    // A modal box with OK and Cancel, OK the default, no icon. True only for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;

    // Seconds since local midnight, with fractions: 0 <= clock() < 86400.
    virtual double clock() = 0;
    // Seconds from some fixed moment, with fractions; never goes back, whatever the clock does.
    virtual double monotonic() = 0;
    // Dispatches window events, waiting for them at most until monotonic() reaches until (it
    // may return sooner). Used by Pause.
    virtual void waitForEvents(double until) = 0;

    // Ends the program at once.
    virtual void endProgram() = 0;
    // True once endProgram() was called: running sequences stop at their next step.
    virtual bool ending() const = 0;

    // The folder that holds the program (and its data file).
    virtual QString programFolder() const = 0;

    // The data file's full path.
    QString dataFile() const;

    // The toolkit in use; the program installs QtToolkit, tests a fake.
    static Toolkit& current();
    // Takes no ownership. Passing nullptr restores the Qt toolkit.
    static void install(Toolkit* toolkit);
};

// The real toolkit: QMessageBox, the wall clock and QElapsedTimer, QEventLoop,
// QCoreApplication::exit.
class QtToolkit : public Toolkit {
  public:
    void notice(const QString& text, const QString& title) override;
    bool confirm(const QString& text, const QString& title) override;
    double clock() override;
    double monotonic() override;
    void waitForEvents(double until) override;
    void endProgram() override;
    bool ending() const override { return m_ending; }
    QString programFolder() const override;

  private:
    bool m_ending = false;
};
