// Main window: the Player tab, the widgets of the built-in player.  The
// player's rules live in its core (player/cx_player.h); this file builds the
// tab, hands the core its graphs and shows what the core reports.
#include "app/cx_fmain.h"

#include "app/cx_mpris.h"
#include "framework/qv_application.h"
#include "framework/qv_tools.h"
#include "player/cx_player.h"
#include "player/cx_player_rules.h"
#include "player/gst_graph.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Hands the playlist view's key presses and the tab's resizes to the window.
class TPlayerEvents : public QObject {
public:
    TPlayerEvents(QObject* parent, std::function<bool(int key)> onKey,
                  std::function<void()> onResize)
        : QObject(parent), m_onKey(std::move(onKey)), m_onResize(std::move(onResize)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            bool handled = false;
            const int key = static_cast<QKeyEvent*>(event)->key();
            RunGuarded([&] { handled = m_onKey(key); });
            if (handled)
                return true;
        } else if (event->type() == QEvent::Resize) {
            RunGuarded(m_onResize);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int)> m_onKey;
    std::function<void()> m_onResize;
};

QToolButton* SpeedButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setFixedSize(26, 26);
    button->setAutoRaise(true);
    button->setCheckable(true);
    return button;
}

QSlider* TrackBar(QWidget* parent, const char* name) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 100);
    bar->setTracking(false);
    return bar;
}

} // namespace

void TFrmCrateboxMain::BuildPlayerTab() {
    auto* layout = new QVBoxLayout(tsPlayer);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(2);
    _sbPlay = SpeedButton(tsPlayer, "_sbPlay", QStyle::SP_MediaPlay);
    _sbPause = SpeedButton(tsPlayer, "_sbPause", QStyle::SP_MediaPause);
    _sbStop = SpeedButton(tsPlayer, "_sbStop", QStyle::SP_MediaStop);
    PlayerButtons = new QButtonGroup(tsPlayer);
    PlayerButtons->setExclusive(true);
    for (QToolButton* button : {_sbPlay, _sbPause, _sbStop}) {
        PlayerButtons->addButton(button);
        controls->addWidget(button);
    }
    _sbStop->setChecked(true);
    // Both bars sit in the same place; only the current graph's is shown.
    DSTrackBar1 = TrackBar(tsPlayer, "DSTrackBar1");
    DSTrackBar2 = TrackBar(tsPlayer, "DSTrackBar2");
    DSTrackBar2->hide();
    controls->addSpacing(6);
    controls->addWidget(DSTrackBar1, 1);
    controls->addWidget(DSTrackBar2, 1);
    layout->addLayout(controls);

    _lbPlaying = new QLabel(tsPlayer);
    _lbPlaying->setObjectName(QStringLiteral("_lbPlaying"));
    // The label keeps its width: the path is shortened to it.
    _lbPlaying->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    _lbPlaying->setMinimumWidth(1);
    layout->addWidget(_lbPlaying);

    sgSongList = new QTableView(tsPlayer);
    sgSongList->setObjectName(QStringLiteral("sgSongList"));
    sgSongList->setModel(new QStandardItemModel(1, 1, sgSongList));
    sgSongList->horizontalHeader()->hide();
    sgSongList->verticalHeader()->hide();
    sgSongList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgSongList->verticalHeader()->setMinimumSectionSize(17);
    sgSongList->verticalHeader()->setDefaultSectionSize(17);
    sgSongList->setShowGrid(false);
    sgSongList->setWordWrap(false);
    sgSongList->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgSongList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sgSongList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(sgSongList, 1);

    sgSongList->installEventFilter(new TPlayerEvents(
        sgSongList,
        [this](int key) {
            if (key != Qt::Key_Delete)
                return false;
            sgSongListKeyDown(key);
            return true;
        },
        [] {}));
    // The label follows the tab's size once the tab's layout has placed it.
    _lbPlaying->installEventFilter(new TPlayerEvents(
        _lbPlaying, [](int) { return false; }, [this] { ShowNowPlaying(); }));
    connect(sgSongList, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { sgSongListDblClick(); }));
    connect(_sbPlay, &QToolButton::clicked, this, Guarded([this](bool) { _sbPlayClick(); }));
    connect(_sbPause, &QToolButton::clicked, this, Guarded([this](bool) { _sbPauseClick(); }));
    connect(_sbStop, &QToolButton::clicked, this, Guarded([this](bool) { _sbStopClick(); }));
    for (QSlider* bar : {DSTrackBar1, DSTrackBar2}) {
        // While the thumb is held, ticks leave the bar alone; on release the
        // graph goes to the thumb's place.
        connect(bar, &QSlider::sliderPressed, this, Guarded([this] {
                    if (FPlayer)
                        FPlayer->SetThumbHeld(true);
                }));
        connect(bar, &QSlider::sliderReleased, this, Guarded([this, bar] {
                    if (!FPlayer)
                        return;
                    FPlayer->SetThumbHeld(false);
                    FPlayer->SeekToThumb(bar->sliderPosition(), bar->maximum());
                }));
        // A click beside the thumb or a key moves it by steps: the graph
        // follows once the bar has taken its new place.
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
            if (action == QAbstractSlider::SliderMove || action == QAbstractSlider::SliderNoAction)
                return;
            QMetaObject::invokeMethod(this, Guarded([this, bar] {
                                          if (FPlayer && !bar->isSliderDown())
                                              FPlayer->SeekToThumb(bar->value(), bar->maximum());
                                      }),
                                      Qt::QueuedConnection);
        });
    }
    connect(PageControl, &QTabWidget::currentChanged, this, Guarded([this](int) {
                if (PageControl->currentWidget() == tsPlayer)
                    tsPlayerShow();
            }));
}

TPlayerCore& TFrmCrateboxMain::Player() {
    if (FPlayer)
        return *FPlayer;
    std::unique_ptr<IMediaGraph> graph1, graph2;
    if (MediaGraphFactory) {
        graph1 = MediaGraphFactory(1);
        graph2 = MediaGraphFactory(2);
    } else {
        std::unique_ptr<TGstOutput> output;
        try {
            output = std::make_unique<TGstOutput>();
        } catch (const EMediaError& e) {
            throw EToolsError(e.Message);
        }
        graph1 = std::make_unique<TGstGraph>(*output);
        graph2 = std::make_unique<TGstGraph>(*output);
        FAudioOutput = std::move(output);
    }
    FGraph1 = std::move(graph1);
    FGraph2 = std::move(graph2);
    FPlayer = std::make_unique<TPlayerCore>(*FGraph1, *FGraph2);
    TPlayerCore::THooks& hooks = FPlayer->Hooks;
    hooks.ShowNowPlaying = [this] { ShowNowPlaying(); };
    hooks.RefreshPlaylistView = [this] {
        RefreshPlaylistView();
        if (FMpris)
            FMpris->PlaylistChanged();
    };
    hooks.RepaintPlaylistView = [this] { MarkCurrentRow(); };
    hooks.SelectRow = [this](int row) {
        sgSongList->selectRow(row);
        MarkCurrentRow();
    };
    const auto bar = [this](int number) { return number == 2 ? DSTrackBar2 : DSTrackBar1; };
    hooks.ShowTrackBar = [bar](int number) { bar(number)->show(); };
    hooks.HideTrackBar = [bar](int number) { bar(number)->hide(); };
    hooks.TrackBarTick = [bar](int number, std::uint32_t position, std::uint32_t duration) {
        QSlider* slider = bar(number);
        if (slider->isSliderDown())
            return;
        const QSignalBlocker quiet(slider);
        slider->setRange(0, int(duration / 400));
        slider->setValue(int(position / 400));
    };
    hooks.ResetTrackBars = [this] {
        for (QSlider* slider : {DSTrackBar1, DSTrackBar2}) {
            const QSignalBlocker quiet(slider);
            slider->setValue(0);
        }
    };
    hooks.PressButton = [this](TPlayerCore::TButton button) {
        (button == TPlayerCore::btPlay    ? _sbPlay
         : button == TPlayerCore::btPause ? _sbPause
                                          : _sbStop)
            ->setChecked(true);
    };
    // Ticks and ends of songs may be handled here; what the user does waits.
    hooks.ProcessMessages = [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    // Errors of a running graph come outside any handler: they are shown
    // after the current event, through the application's error handler.
    hooks.ReportError = [this](const QString& message) {
        QMetaObject::invokeMethod(
            this,
            [message] { HandleApplicationError(std::make_exception_ptr(EToolsError(message))); },
            Qt::QueuedConnection);
    };
    hooks.SongStarted = [this] {
        MarkCurrentRow();
        if (FMpris)
            FMpris->SongChanged();
    };
    hooks.PlaylistEnded = [this] {
        if (FMpris)
            FMpris->StatusChanged();
    };
    hooks.StatusChanged = [this] {
        if (FMpris)
            FMpris->StatusChanged();
    };
    return *FPlayer;
}

void TFrmCrateboxMain::PlayIndex(int i) {
    Player().PlayIndex(i);
}

void TFrmCrateboxMain::ShowNowPlaying() {
    if (!_lbPlaying)
        return;
    const QString file = FPlayer ? FPlayer->CurrentFile : QString();
    const QFontMetrics metrics(_lbPlaying->font());
    _lbPlaying->setText(
        ShortenNowPlaying(file, _lbPlaying->contentsRect().width(),
                          [&](const QString& s) { return metrics.horizontalAdvance(s); }));
}

void TFrmCrateboxMain::_sbPlayClick() {
    _sbPlay->setChecked(true);
    if (FPlayer)
        FPlayer->PlayCurrent();
}

void TFrmCrateboxMain::_sbPauseClick() {
    _sbPause->setChecked(true);
    if (FPlayer)
        FPlayer->Pause();
}

void TFrmCrateboxMain::_sbStopClick() {
    _sbStop->setChecked(true);
    if (FPlayer)
        FPlayer->Stop();
}

void TFrmCrateboxMain::tsPlayerShow() {
    RefreshPlaylistView();
    ShowNowPlaying();
}

void TFrmCrateboxMain::sgSongListDblClick() {
    // The one empty row of an empty playlist stops what still plays.
    const int row = sgSongList->currentIndex().row();
    if (!FPlayer || row < 0)
        return;
    FPlayer->PlayIndex(row);
}

void TFrmCrateboxMain::sgSongListKeyDown(int key) {
    if (key != Qt::Key_Delete || !FPlayer)
        return;
    const QModelIndexList rows = sgSongList->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    int top = rows.first().row(), bottom = top;
    for (const QModelIndex& index : rows) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
    }
    FPlayer->DeleteRows(top, bottom);
}

void TFrmCrateboxMain::RefreshPlaylistView() {
    if (!sgSongList)
        return;
    auto* model = static_cast<QStandardItemModel*>(sgSongList->model());
    const int remembered = sgSongList->currentIndex().row();
    const QStringList empty;
    const QStringList& playlist = FPlayer ? FPlayer->Playlist : empty;
    const int rows = std::max<int>(1, int(playlist.size()));
    model->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const QString text = i < playlist.size() ? PlaylistRowText(playlist.at(i)) : QString();
        if (QStandardItem* item = model->item(i, 0))
            item->setText(text);
        else
            model->setItem(i, 0, new QStandardItem(text));
    }
    sgSongList->setColumnWidth(0, sgSongList->viewport()->width());
    if (remembered >= 0)
        sgSongList->selectRow(std::min(remembered, rows - 1));
    MarkCurrentRow();
}

void TFrmCrateboxMain::MarkCurrentRow() {
    auto* model = static_cast<QStandardItemModel*>(sgSongList->model());
    const int current = FPlayer && !FPlayer->Playlist.isEmpty() ? FPlayer->CurrentIndex : -1;
    for (int i = 0; i < model->rowCount(); ++i) {
        QStandardItem* item = model->item(i, 0);
        if (!item)
            continue;
        const bool italic = i == current;
        const bool marked = item->data(Qt::FontRole).isValid();
        if (italic && !marked) {
            QFont font = sgSongList->font();
            font.setItalic(true);
            item->setFont(font);
        } else if (!italic && marked) {
            item->setData(QVariant(), Qt::FontRole);
        }
    }
    sgSongList->viewport()->update();
}

void TFrmCrateboxMain::UpdateMediaControls() {
    if (!UseInternalPlayer) {
        FMpris.reset();
        return;
    }
    if (FMpris)
        return;
    TMprisService::TActions actions;
    actions.Player = [this] { return FPlayer.get(); };
    actions.Raise = [this] {
        show();
        raise();
        activateWindow();
    };
    actions.Quit = [this] { close(); };
    actions.Play = [this] {
        if (FPlayer && FPlayer->Status() != TPlayerCore::psPlaying)
            _sbPlayClick();
    };
    actions.Pause = [this] {
        if (FPlayer && FPlayer->Status() == TPlayerCore::psPlaying)
            _sbPauseClick();
    };
    actions.Stop = [this] { _sbStopClick(); };
    actions.Go = [this](int index) {
        if (FPlayer && index >= 0 && index < FPlayer->Playlist.size())
            FPlayer->PlayIndex(index);
    };
    actions.Open = [this](const QString& path) {
        if (QFileInfo(path).isDir()) {
            QueueRecordFolder(path, true);
            return;
        }
        TPlayerCore& player = Player();
        player.ClearPlaylist();
        player.Append(path);
        player.PlayIndex(0);
    };
    FMpris = std::make_unique<TMprisService>(std::move(actions));
}
