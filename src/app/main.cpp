// The program's entry: start-up, the show, and its exit code (1 when the music played
// to its end, 0 otherwise).
#include "app/AppWindow.h"
#include "app/FrameLoop.h"
#include "show/Show.h"

int main() {
    if (!gAppWindow.create("Vantroop - Glimmerhop")) return 0;

    ProgramClock clock;
    clock.begin();

    Show show;
    show.load();
    show.music.play(100);
    if (!playFrames(show)) return 0;
    playOutro(show, clock);
    return 1;
}
