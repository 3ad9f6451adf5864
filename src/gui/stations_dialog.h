// "Gang programming...": one tile per programmer (its USB port, how it stands, its count),
// the next capcodes of the batch, and Start and Stop. The batch is the window's settings:
// its capcodes and steps, for as many pagers as asked. It fits a 1024x768 screen with
// eight tiles.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <vector>

#include "gui/window_gang.h"

namespace pagerprog::gui {

class StationsDialog : public QDialog {
public:
    struct TileView {
        QGroupBox* box;
        QLabel* state;
        QProgressBar* bar;
        QLabel* count;
    };

    // `log` takes each line for the window's status log.
    StationsDialog(QWidget* parent, WindowGang& gang, std::function<void(const std::string&)> log);

    QSpinBox& pagers() { return *pagers_; }
    QComboBox& onFailure() { return *onFailure_; }
    QPushButton& startButton() { return *start_; }
    QPushButton& stopButton() { return *stop_; }
    QLabel& next() { return *next_; }
    QLabel& summary() { return *summary_; }
    const std::vector<TileView>& tiles() const { return tiles_; }

    // While the batch runs the dialog stays open: Stop first.
    void reject() override;

private:
    void startBatch();
    void refresh();
    void showTiles(const std::vector<Tile>& tiles);

    WindowGang& gang_;
    std::function<void(const std::string&)> log_;
    QSpinBox* pagers_;
    QComboBox* onFailure_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* close_;
    QLabel* next_;
    QLabel* summary_;
    QGridLayout* grid_;
    std::vector<TileView> tiles_;
    QTimer timer_;
    bool running_ = false;
};

}  // namespace pagerprog::gui
