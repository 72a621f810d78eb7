#pragma once
// The parameters dialog: the external player commands, the internal player
// switch, the image search command, the music extensions, the new-music
// options, the bookmark folder and the tag list.  One dialog lives for the
// whole run; the main window fills it and takes the values back.

#include "app/cx_parameters.h"
#include "framework/qv_fBaseDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;

class TFrmParameters : public TFrmBaseDialog {
    Q_OBJECT
public:
    explicit TFrmParameters(QWidget* parent = nullptr);
    ~TFrmParameters() override;

    QTabWidget* pcParams = nullptr;
    QWidget* TabSheet1 = nullptr;
    QCheckBox* cbInternalPlayer = nullptr;
    QLabel* lbPlay = nullptr;
    QLineEdit* _edPlay = nullptr;
    QLabel* lbEnqueue = nullptr;
    QLineEdit* _edEnqueue = nullptr;
    QLabel* lbSearchImage = nullptr;
    QLineEdit* edSearchImage = nullptr;
    QLabel* lbMusicExtension = nullptr;
    QPlainTextEdit* moMusicExtension = nullptr;
    QGroupBox* gbNews = nullptr;
    QLabel* lbNewMusic = nullptr;
    QSpinBox* edNewMusic = nullptr; // with its up-down buttons (UpDownNewMonths)
    QLabel* lbNewMusicDays = nullptr;
    QLabel* lbNewMusicDir = nullptr;
    QLineEdit* edNewMusicDir = nullptr;
    QCheckBox* cbAutoNew = nullptr;
    QCheckBox* cbUseDirDate = nullptr;
    QLabel* lbBookmark = nullptr;
    QLineEdit* edBookmark = nullptr;
    QWidget* TabSheet2 = nullptr;
    QPlainTextEdit* moTagsList = nullptr;

    void Fill(const TParameterValues& values);
    TParameterValues Values() const;
    bool CanClose() override;

protected:
    void showEvent(QShowEvent* event) override;
};

// The dialog of the run; null before it exists.
extern TFrmParameters* FrmParameters;
