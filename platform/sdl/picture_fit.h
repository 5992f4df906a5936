// Where the program's picture goes on the desktop: pure arithmetic, kept
// apart from SDL so that it can be tested on its own.
#pragma once

struct PictureRect {
  int x, y, width, height;
};

// Called at every present with the drawable's size in pixels (on a
// high-DPI screen larger than the window's size): the picture scaled by the
// largest whole number that fits, centred, the rest left black; when not
// even one fits, the largest size of the picture's own aspect that does.
// All zero when either size is not positive.
PictureRect PictureFit(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// Called when a window is opened: the whole multiple of the picture for its
// first size, the largest that fits the usable desktop with room to spare
// for the window's frame and the desktop's panels (a twentieth of each
// side, at least 32 pixels), and at least 1.
int PictureWindowScale(int desktopWidth, int desktopHeight, int pictureWidth, int pictureHeight);
