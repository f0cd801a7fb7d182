// Form5: the progress window of Clear Current Set.
#pragma once

#include "clearing/progresswindow.h"

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

    QString m_failure; // why the first failed write failed
};
