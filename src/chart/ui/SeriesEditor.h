#pragma once
// The chart window's series editor: the series list, the chosen series'
// name, meter address, device and register, "Zastosuj", and whether the
// series is on. It edits the assignments of the chart's model; what a
// change means for the chart, the window does when it is told.
#include "chart/Series.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k71t
{

class Prompt;

class SeriesEditor : public QGroupBox
{
    Q_OBJECT
public:
    SeriesEditor(Prompt &prompt, SeriesModel &model, QWidget *parent = nullptr);

    // The model's names in the list, the first series chosen and shown.
    void showNames();
    // The series chosen in the list.
    int current() const;

    QComboBox *seriesList = nullptr;
    QLineEdit *seriesNameEdit = nullptr;
    QLineEdit *seriesAddressEdit = nullptr; // 0 switches the series off
    QComboBox *deviceList = nullptr;
    QComboBox *registerList = nullptr;
    QPushButton *dictionaryPickButton = nullptr; // "..."
    QPushButton *applyButton = nullptr;          // "Zastosuj"
    QLabel *seriesStateLabel = nullptr;

signals:
    // The fields went into series s's assignment.
    void applied(int series);
    void dictionaryWanted();

public slots:
    // The chosen series' assignment into the fields.
    void onSeriesChosen();
    // The fields into the chosen series' assignment: an address outside
    // 0 .. 247 is refused with a box and nothing changes.
    void onApplyClicked();

private:
    void showState(const SeriesAssignment &series);

    Prompt &prompt_;
    SeriesModel &model_;
};

} // namespace k71t
