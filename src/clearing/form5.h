// Form5: the progress window of Clear Current Set.
#pragma once

#include "clearing/progresswindow.h"

#include <QPointer>

class Form1;

class Form5 : public ProgressWindow {
    Q_OBJECT
  public:
    Form5();

  protected:
    void runSequence() override;

  private:
    // Empties the key in the section the main window's top box names right now.
    void clearKey(const QString& key);
    void write(const QString& section, const QString& key, const QString& value);

    QPointer<Form1> m_main; // the main window whose set is cleared
    QString m_failure;      // why the first failed write failed
};
