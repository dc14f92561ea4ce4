// The preview window's embedded player: the scripts of the Preview folder played by quire-avs of the
// program folder in MediaPlayer1, and stopped whenever the window closes.
#include "preview/PlayerView.h"
#include "preview/PreviewWindow.h"
#include "ui/WindowLook.h"

namespace quire {

void Preview::buildPlayer() {
    m_mediaPlayer1 = placed(new PlayerView(this), "MediaPlayer1", QRect(536, 4, 252, 176));
    m_mediaPlayer1->setProgramFolder(m_state.programFolder);
}

void Preview::done(int result) {
    // Exit, the close box and a load that gives up all end here: the renderer is killed and reaped
    // before the window goes, rather than held paused behind a hidden view.
    m_mediaPlayer1->stop();
    QDialog::done(result);
}

} // namespace quire
