#pragma once
// The start panel: PC-side port settings, the meter address, and the column
// of buttons that opens every other window.
#include "app/AppWindows.h"
#include "context/AppContext.h"

#include <QWidget>

class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QTimer;

namespace k71t {

class StartPanelWindow : public QWidget {
    Q_OBJECT
public:
    StartPanelWindow(AppContext &context, AppWindows &windows, QWidget *parent = nullptr);
    ~StartPanelWindow() override;

    void ApplyPortSettings();
    bool SaveUartCfg();
    bool LoadUartCfg();
    // Shows the current port settings in the lists without applying them.
    void showPortSettings();

    QComboBox *ComboBox1 = nullptr; // port
    QComboBox *ComboBox2 = nullptr; // mode
    QLineEdit *Edit1 = nullptr;     // meter address
    QComboBox *ComboBox3 = nullptr; // speed
    QPushButton *SpeedButton1 = nullptr;
    QPushButton *SpeedButton2 = nullptr;
    QPushButton *SpeedButton3 = nullptr;
    QPushButton *SpeedButton4 = nullptr;
    QPushButton *SpeedButton5 = nullptr;
    QPushButton *SpeedButton6 = nullptr;
    QPushButton *SpeedButton7 = nullptr;
    QPushButton *SpeedButton8 = nullptr;
    QPushButton *SpeedButton9 = nullptr;
    QPushButton *SpeedButton10 = nullptr;
    QPushButton *SpeedButton11 = nullptr;
    QPushButton *SpeedButton12 = nullptr;
    QPushButton *SpeedButton13 = nullptr;
    QPushButton *SpeedButton14 = nullptr;
    QPushButton *SpeedButton15 = nullptr;
    QPushButton *SpeedButton16 = nullptr;
    QPushButton *SpeedButton17 = nullptr;
    QPushButton *SpeedButton18 = nullptr;
    QTimer *Timer1 = nullptr;

    // The buttons from top to bottom.
    QList<QPushButton *> buttonColumn() const;

    // The filter of both configuration-file dialogs.
    static QString configFileFilter() { return QStringLiteral("Plik konfiguracyjny K71T (*.k71t)|*.k71t"); }

public slots:
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Edit1Change();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton14Click();
    void SpeedButton15Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void SpeedButton11Click();
    void SpeedButton12Click();
    void SpeedButton13Click();
    void SpeedButton16Click();
    void SpeedButton17Click();
    void SpeedButton18Click();
    void Timer1Timer();
    // While a bulk transfer runs, the buttons whose windows talk to the
    // meter or change the register image are disabled; the port settings
    // stay open to the operator.
    void bulkTransferRunning(bool running);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    void setAddressFromImage();
    // After a change of the meter's interface: the lists and the address
    // show the new settings, which then apply as the operator's choice would.
    void followLine(const PortSettings &settings, std::uint8_t address);
    // Loads a configuration file into the image; a missing file is reported.
    bool loadConfiguration(const QString &path);
    QPushButton *addButton(const char *name, const QString &caption);
    void showModal(QDialog *window);

    AppContext &ctx_;
    AppWindows &windows_;
    // Timer1 has read def.k71t (or found it missing or invalid).
    bool lastConfigurationRead_ = false;
    QList<QPushButton *> buttons_;
    // The buttons with a working window, and those of them a bulk transfer disables.
    QList<QPushButton *> working_;
    QList<QPushButton *> duringTransfer_;
};

} // namespace k71t
