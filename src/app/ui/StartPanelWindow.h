#pragma once
// The start panel: PC-side port settings, the meter address, and the column
// of buttons that opens every other window.
#include "app/AppWindows.h"
#include "context/AppContext.h"

#include <QWidget>

class QComboBox;
class QDialog;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QTimer;

namespace k71t {

class StartPanelWindow : public QWidget {
    Q_OBJECT
public:
    StartPanelWindow(AppContext &context, AppWindows &windows, QWidget *parent = nullptr);
    ~StartPanelWindow() override;

    void applyPortSettings();
    bool saveUartCfg();
    bool loadUartCfg();
    // Shows the current port settings in the lists without applying them.
    void showPortSettings();

    QComboBox *portList = nullptr;
    QComboBox *modeList = nullptr;
    QLineEdit *addressEdit = nullptr; // the meter address
    QComboBox *speedList = nullptr;
    QPushButton *monitorButton = nullptr;
    QPushButton *archiveButton = nullptr;
    QPushButton *devicesButton = nullptr;
    QPushButton *displayButton = nullptr;
    QPushButton *characteristicButton = nullptr;
    QPushButton *alarmsButton = nullptr;
    QPushButton *analogOutputButton = nullptr;
    QPushButton *systemButton = nullptr;
    QPushButton *interfaceButton = nullptr;
    QPushButton *bulkReadButton = nullptr;
    QPushButton *bulkWriteButton = nullptr;
    QPushButton *openConfigurationButton = nullptr;
    QPushButton *saveConfigurationButton = nullptr;
    QPushButton *databaseButton = nullptr;
    QPushButton *schedulerButton = nullptr;
    QPushButton *chartButton = nullptr;
    QPushButton *aboutButton = nullptr;
    QPushButton *monthlyArchiveButton = nullptr;
    QTimer *startupTimer = nullptr;

    // The buttons from top to bottom.
    QList<QPushButton *> buttonColumn() const;

    // The filter of both configuration-file dialogs.
    static QString configFileFilter() { return QStringLiteral("Plik konfiguracyjny K71T (*.k71t)|*.k71t"); }

public slots:
    void onPortChanged();
    void onModeChanged();
    void onSpeedChanged();
    void onAddressChanged();
    void onArchiveClicked();
    void onMonitorClicked();
    void onDatabaseClicked();
    void onSchedulerClicked();
    void onDevicesClicked();
    void onDisplayClicked();
    void onCharacteristicClicked();
    void onAlarmsClicked();
    void onAnalogOutputClicked();
    void onSystemClicked();
    void onInterfaceClicked();
    void onBulkReadClicked();
    void onBulkWriteClicked();
    void onOpenConfigurationClicked();
    void onSaveConfigurationClicked();
    void onChartClicked();
    void onAboutClicked();
    void onMonthlyArchiveClicked();
    void onStartupTimer();
    // While a bulk transfer runs, the buttons whose windows talk to the
    // meter or change the register image are disabled; the port settings
    // stay open to the operator.
    void onBulkTransferRunning(bool running);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // At creation: the standard configuration into the image, the lists,
    // the address, the port map and uart.cfg, without opening the port.
    void initialise();
    // At closing: def.k71t (once it has been read) and uart.cfg.
    void saveOnClose();
    void setAddressFromImage();
    // After a change of the meter's interface: the lists and the address
    // show the new settings, which then apply as the operator's choice would.
    void followLine(const PortSettings &settings, std::uint8_t address);
    // The line and the address as chosen, the port opened anew: on the link worker.
    void switchLine(const PortSettings &settings, std::uint8_t address);
    // Loads a configuration file into the image; a missing file is reported.
    bool loadConfiguration(const QString &path);
    QFormLayout *buildPortSettings();
    // The buttons from top to bottom, each with its handler.
    void buildButtonColumn();
    QPushButton *addButton(const char *name, const QString &caption, void (StartPanelWindow::*onClicked)());
    void showModal(QDialog *window);

    AppContext &ctx_;
    AppWindows &windows_;
    // The start-up timer has read def.k71t (or found it missing or invalid).
    bool lastConfigurationRead_ = false;
    QList<QPushButton *> buttons_;
    // The buttons a bulk transfer disables.
    QList<QPushButton *> duringTransfer_;
    // The operator chose to close while work was in hand: it was asked to
    // stop and the panel closes once it has.
    bool closeWhenIdle_ = false;
};

} // namespace k71t
