#pragma once
// The individual characteristic page: a broken line through 2 to 21 points
// (H, Y) that the meter maps its measured value through.
#include "config/ui/ConfigPage.h"

#include <QList>
#include <QPoint>

class QCheckBox;
class QCustomPlot;
class QCPCurve;
class QSlider;
class QTableWidget;

namespace k71t {

constexpr int MaxCharacteristicPoints = 21;

// The number of points 4008 stands for, as the page uses it: a value above
// 21 (from a meter or a file) counts as 21, so nothing reads or writes past
// the 42 point registers. Below 2 the characteristic is off.
int characteristicPoints(std::uint16_t stored);

class CharacteristicPage : public ConfigPage {
    Q_OBJECT
public:
    explicit CharacteristicPage(AppContext &context, QWidget *parent = nullptr);

    void fillFromImage() override;
    // The grid check, after the cell being edited is committed: takeIntoImage is what
    // the write and the closing of the window run.
    bool takeIntoImage() override;
    void refresh() override;

    // The grid check: the H and Y texts of the shown points, each a number
    // in range, H strictly increasing as stored (32-bit floats); on success
    // they go into the image and the page is redrawn.
    bool gridCheck();

    QCheckBox *enabledCheck = nullptr;
    QSlider *pointCountSlider = nullptr;
    QTableWidget *pointGrid = nullptr;
    QCustomPlot *chart = nullptr;
    QCPCurve *curve = nullptr;

public slots:
    void onEnabledClicked();
    void onPointCountChanged();

private:
    void buildPointEditor();
    void buildChart();
    void fillGridHeader();
    void commitEditing();
    bool gridError(const QString &text);
    // The cells (row, column) the last failed grid check found wrong.
    QList<QPoint> badCells_;
};

} // namespace k71t
