#pragma once
// The framework's base for modal dialogs: a fixed-size window, always on
// top, with OK and Cancel on a picture strip at the bottom.  It restores
// its position and translates itself when created (FormCreate, called by
// the derived class once its components exist) and stores its geometry
// whenever it closes, whatever the result.

#include <QDialog>

class QFrame;
class TqvButton;
class TqvPanelPicture;

class TFrmBaseDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFrmBaseDialog(QWidget* parent = nullptr);
    ~TFrmBaseDialog() override;

    QFrame* Bevel = nullptr;
    TqvPanelPicture* pnXP = nullptr;
    TqvButton* BtOK = nullptr;
    TqvButton* BtCancel = nullptr;

    // The area above the strip, where a derived dialog puts its components.
    QWidget* Content() const { return m_content; }
    // Gives the dialog a fixed client size (the strip included).
    void SetClientSize(int width, int height);

    // Asked when OK is pressed: a derived dialog refuses a value by raising
    // an error with the reason; the dialog then stays open.
    virtual bool CanClose() { return true; }
    void done(int result) override;

protected:
    void FormCreate();
    virtual void FormClose();

private:
    QWidget* m_content = nullptr;
};

// The picture of the button strips: a soft vertical gradient.
QImage StripPicture();

// The button strip at the bottom of the dialogs and the about box: "pnXP",
// 40 pixels high on the strip picture, with a horizontal layout (its
// layout()) for the buttons.
TqvPanelPicture* NewButtonStrip(QWidget* parent);
// A button named name on a strip, not yet placed in the strip's layout.
TqvButton* NewStripButton(const QString& caption, const char* name, QWidget* strip);
