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
    bool write(const QString& section, const QString& key, const QString& value);
    // Keeps the first reason for the report at the end.
    void fail(const QString& reason);

    QPointer<Form1> m_main; // the main window whose set is cleared
    QString m_slotTag;      // its slot tag at the start
    int m_cleared = 0;      // keys of the set emptied so far
    QString m_failure;      // why the first skipped or failed write was not made
};
