// Form5: the progress window of Clear Current Set.
#pragma once

#include "clearing/progresswindow.h"

#include <QStringList>

class Form5 : public ProgressWindow {
    Q_OBJECT
  public:
    Form5();
    // Takes the slot chosen in the main window: the set this run clears.
    void load();

  protected:
    void runSequence() override;

  private:
    // Empties the keys in the section the slot's stored name names at the moment of the write;
    // with resetName, also gives the slot its default name back if nothing is left in it.
    void clearStep(const QStringList& keys, bool resetName);

    int m_slot = 0;    // 1 .. 5
    QString m_failure; // why the set was not cleared whole, for the report at the end
};
