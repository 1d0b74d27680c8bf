#pragma once
// The dictionary window: the meters with their names, the names of their
// devices and registers, and filling a chart series from them. It lives for
// the whole run; def.slo is read at its creation and written whenever it
// closes.
#include "chart/Dictionary.h"
#include "context/AppContext.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace k71t {

class ChartWindow;

class DictionaryWindow : public QDialog {
    Q_OBJECT
public:
    DictionaryWindow(AppContext &context, ChartWindow &chart, QWidget *parent = nullptr);

    Dictionary &dictionary() { return dictionary_; }
    QString defaultPath() const;
    void ShowEntry(int i);
    bool StoreEntry(int i);

    QListWidget *ListBox1 = nullptr;
    QPushButton *SpeedButton1 = nullptr; // "Dodaj pozycję"
    QPushButton *SpeedButton2 = nullptr; // "Usuń pozycję"
    QLineEdit *Edit1 = nullptr;          // address
    QLineEdit *Edit2 = nullptr;          // name
    QPushButton *SpeedButton4 = nullptr; // "Wpisz do Slownika"
    QTableWidget *StringGrid1 = nullptr;
    QComboBox *ComboBox1 = nullptr;      // the series to fill
    QPushButton *SpeedButton3 = nullptr; // "Zastosuj"
    QAction *WczytajSownik1 = nullptr;
    QAction *ZapiszSownik1 = nullptr;
    QAction *Zamknij1 = nullptr;

public slots:
    void FormActivate();
    void ListBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void WczytajSownik1Click();
    void ZapiszSownik1Click();
    void Zamknij1Click();

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    // The list from the slots in use, plain names.
    void rebuildList();
    void error(const QString &text);

    AppContext &ctx_;
    ChartWindow &chart_;
    Dictionary dictionary_;
};

} // namespace k71t
