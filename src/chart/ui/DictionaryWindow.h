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
class QLabel;
class QListWidget;
class QMenuBar;
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
    void showEntry(int i);
    bool storeEntry(int i);

    QListWidget *meterList = nullptr;
    QPushButton *addButton = nullptr;    // "Dodaj pozycję"
    QPushButton *removeButton = nullptr; // "Usuń pozycję"
    QLineEdit *addressEdit = nullptr;    // address
    QLineEdit *nameEdit = nullptr;       // name
    QPushButton *storeButton = nullptr;  // "Wpisz do Slownika"
    QTableWidget *namesGrid = nullptr;
    QLabel *hintLabel = nullptr;
    QComboBox *seriesList = nullptr;    // the series to fill
    QPushButton *applyButton = nullptr; // "Zastosuj"
    QAction *loadAction = nullptr;
    QAction *saveAction = nullptr;
    QAction *closeAction = nullptr;

public slots:
    void onActivated();
    void onMeterChosen();
    void onAddClicked();
    void onRemoveClicked();
    void onApplyClicked();
    void onStoreClicked();
    void onLoadChosen();
    void onSaveChosen();
    void onCloseChosen();

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QMenuBar *buildMenu();
    void buildControls();
    void layOut(QMenuBar *menu);
    void loadDefaultDictionary();
    void saveDefaultDictionary();
    // The list from the slots in use, plain names.
    void rebuildList();

    AppContext &ctx_;
    ChartWindow &chart_;
    Dictionary dictionary_;
};

} // namespace k71t
