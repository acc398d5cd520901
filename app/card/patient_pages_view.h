#pragma once
// Puts the patient pages' data into the window's widgets.

#include <QList>

#include "card/patient_pages.h"

class Prompts;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QWidget;

struct PatientPageWidgets {
    // Identity fields: line edits, labels or (for the sex) a combo box.
    QWidget* CptName = nullptr;
    QWidget* CptID = nullptr;
    QWidget* Cbirthday = nullptr;
    QWidget* Csex = nullptr;
    QTableWidget* CtreatmentData = nullptr;
    QTreeWidget* CtreatItem = nullptr;
    QTreeWidget* ClongDrug = nullptr;
    QTreeWidget* CimportantMx = nullptr;
    QTreeWidget* CcriticalIllness = nullptr;
    QTreeWidget* Cprevent = nullptr;
    QTreeWidget* Cpregnant = nullptr;
    QWidget* CrefMemo = nullptr;  // a plain or rich text edit
    // The pages whose tabs a fill makes visible, and the tab widget holding them.
    QTabWidget* tabs = nullptr;
    QList<QWidget*> pagesToShow;
};

// One message box per failed insurance-code look-up, then the widgets. Widgets left
// null are skipped.
void showPatientPages(const PatientPages& pages, const PatientPageWidgets& w, Prompts& prompts);
