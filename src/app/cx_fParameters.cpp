#include "app/cx_fParameters.h"

#include "app/Cratebox_str.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

TFrmParameters* FrmParameters = nullptr;

namespace {
template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The lines of a multi-line edit, one item each, unchanged.
QStringList Lines(const QPlainTextEdit* edit) {
    const QString text = edit->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}
} // namespace

TFrmParameters::TFrmParameters(QWidget* parent) : TFrmBaseDialog(parent) {
    setObjectName(QStringLiteral("FrmParameters"));
    setWindowTitle(QStringLiteral("Parameters"));
    SetClientSize(344, 396);
    if (!FrmParameters)
        FrmParameters = this;

    auto* column = new QVBoxLayout(Content());
    column->setContentsMargins(4, 4, 4, 4);
    pcParams = Named(new QTabWidget(Content()), "pcParams");
    column->addWidget(pcParams);

    TabSheet1 = Named(new QWidget(pcParams), "TabSheet1");
    pcParams->addTab(TabSheet1, QStringLiteral("Options"));
    auto* grid = new QGridLayout(TabSheet1);
    grid->setVerticalSpacing(3);
    cbInternalPlayer =
        Named(new QCheckBox(QStringLiteral("Use internal player"), TabSheet1), "cbInternalPlayer");
    grid->addWidget(cbInternalPlayer, 0, 0, 1, 2);
    const auto labelled = [&](const char* labelName, const QString& caption, const char* editName,
                              int row) {
        auto* label = Named(new QLabel(caption, TabSheet1), labelName);
        auto* edit = Named(new QLineEdit(TabSheet1), editName);
        // Long translations wrap instead of squeezing the edit.
        label->setWordWrap(true);
        label->setMaximumWidth(150);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return std::pair{label, edit};
    };
    std::tie(lbPlay, _edPlay) = labelled("lbPlay", QStringLiteral("Play command"), "_edPlay", 1);
    std::tie(lbEnqueue, _edEnqueue) =
        labelled("lbEnqueue", QStringLiteral("Enqueue command"), "_edEnqueue", 2);
    std::tie(lbSearchImage, edSearchImage) =
        labelled("lbSearchImage", QStringLiteral("Search image command"), "edSearchImage", 3);
    lbMusicExtension =
        Named(new QLabel(QStringLiteral("Music extension"), TabSheet1), "lbMusicExtension");
    lbMusicExtension->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbMusicExtension->setWordWrap(true);
    lbMusicExtension->setMaximumWidth(150);
    moMusicExtension = Named(new QPlainTextEdit(TabSheet1), "moMusicExtension");
    moMusicExtension->setFixedSize(90, 58);
    moMusicExtension->setLineWrapMode(QPlainTextEdit::NoWrap);
    grid->addWidget(lbMusicExtension, 4, 0);
    grid->addWidget(moMusicExtension, 4, 1, Qt::AlignLeft);

    gbNews = Named(new QGroupBox(QStringLiteral("News"), TabSheet1), "gbNews");
    auto* news = new QGridLayout(gbNews);
    news->setVerticalSpacing(3);
    lbNewMusic = Named(new QLabel(QStringLiteral("New music"), gbNews), "lbNewMusic");
    edNewMusic = Named(new QSpinBox(gbNews), "edNewMusic");
    // Wider than the accepted 1..999, so that a typed value is refused with
    // a word instead of being changed silently.
    edNewMusic->setRange(0, 9999);
    edNewMusic->setValue(1);
    edNewMusic->setMinimumWidth(64);
    lbNewMusicDays = Named(new QLabel(QStringLiteral("days"), gbNews), "lbNewMusicDays");
    news->addWidget(lbNewMusic, 0, 0);
    news->addWidget(edNewMusic, 0, 1);
    news->addWidget(lbNewMusicDays, 0, 2);
    lbNewMusicDir = Named(new QLabel(QStringLiteral("New music dir"), gbNews), "lbNewMusicDir");
    edNewMusicDir = Named(new QLineEdit(gbNews), "edNewMusicDir");
    edNewMusicDir->setMinimumHeight(edNewMusicDir->sizeHint().height());
    news->addWidget(lbNewMusicDir, 1, 0);
    news->addWidget(edNewMusicDir, 1, 1, 1, 2);
    cbAutoNew = Named(new QCheckBox(QStringLiteral("Update on start"), gbNews), "cbAutoNew");
    cbUseDirDate = Named(new QCheckBox(QStringLiteral("Use dir date (or files date)"), gbNews),
                         "cbUseDirDate");
    news->addWidget(cbAutoNew, 2, 0, 1, 3);
    news->addWidget(cbUseDirDate, 3, 0, 1, 3);
    news->setColumnStretch(2, 1);
    gbNews->setMinimumHeight(gbNews->sizeHint().height());
    grid->addWidget(gbNews, 5, 0, 1, 2);
    lbBookmark = Named(new QLabel(QStringLiteral("Bookmark dir"), TabSheet1), "lbBookmark");
    lbBookmark->setWordWrap(true);
    lbBookmark->setMaximumWidth(150);
    edBookmark = Named(new QLineEdit(TabSheet1), "edBookmark");
    grid->addWidget(lbBookmark, 6, 0);
    grid->addWidget(edBookmark, 6, 1);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);

    TabSheet2 = Named(new QWidget(pcParams), "TabSheet2");
    pcParams->addTab(TabSheet2, QStringLiteral("Tags"));
    auto* tags = new QVBoxLayout(TabSheet2);
    moTagsList = Named(new QPlainTextEdit(TabSheet2), "moTagsList");
    moTagsList->setLineWrapMode(QPlainTextEdit::NoWrap);
    tags->addWidget(moTagsList);

    FormCreate();
}

TFrmParameters::~TFrmParameters() {
    if (FrmParameters == this)
        FrmParameters = nullptr;
}

void TFrmParameters::showEvent(QShowEvent* event) {
    setWindowTitle(StringList().Get(Cratebox_str::ParametersCaption));
    TFrmBaseDialog::showEvent(event);
}

void TFrmParameters::Fill(const TParameterValues& v) {
    _edPlay->setText(v.PlaySong);
    cbInternalPlayer->setChecked(v.UseInternalPlayer);
    _edEnqueue->setText(v.EnqueueSong);
    edSearchImage->setText(v.SearchImage);
    moMusicExtension->setPlainText(v.MusicExt.join(QLatin1Char('\n')));
    edNewMusic->setValue(v.NewDays);
    edNewMusicDir->setText(v.NewMusicDir);
    edBookmark->setText(v.BookmarkDir);
    cbAutoNew->setChecked(v.NewsUpdateOnStart);
    cbUseDirDate->setChecked(v.UseDirDate);
    moTagsList->setPlainText(v.TagsList.join(QLatin1Char('\n')));
}

TParameterValues TFrmParameters::Values() const {
    TParameterValues v;
    v.UseDirDate = cbUseDirDate->isChecked();
    v.UseInternalPlayer = cbInternalPlayer->isChecked();
    v.NewsUpdateOnStart = cbAutoNew->isChecked();
    v.NewMusicDir = edNewMusicDir->text();
    v.BookmarkDir = edBookmark->text();
    v.NewDays = edNewMusic->value();
    v.PlaySong = _edPlay->text();
    v.EnqueueSong = _edEnqueue->text();
    v.SearchImage = edSearchImage->text();
    v.MusicExt = Lines(moMusicExtension);
    v.TagsList = Lines(moTagsList);
    return v;
}

bool TFrmParameters::CanClose() {
    edNewMusic->interpretText();
    const QString refusal = ParametersRefusal(Values());
    if (!refusal.isEmpty())
        throw EToolsError(refusal);
    return true;
}
