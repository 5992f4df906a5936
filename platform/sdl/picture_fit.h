// Where the program's picture goes on the desktop, and how large it is made
// before it is filtered down to its place: pure arithmetic, kept apart from
// SDL so that it can be tested on its own.
#pragma once

struct PictureRect {
  int x, y, width, height;
};

// The intermediate picture is never larger than this many pixels, as a
// screen of several times 4K would otherwise ask for hundreds of megabytes.
constexpr long long kPictureScalePixelBudget = 16000000;

// Called at every present with integer scaling, with the drawable's size in
// pixels (on a high-DPI screen larger than the window's size): the picture
// scaled by the largest whole number that fits, centred, the rest left
// black; when not even one fits, PictureFitBox. All zero when either size
// is not positive.
PictureRect PictureFit(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// Called at every present by default: the largest box of the picture's
// aspect that fits the drawable, centred, black beside it or above and
// below. All zero when either size is not positive.
PictureRect PictureFitBox(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// Called when the box changes: the whole multiple the picture is enlarged
// by (nearest neighbour) before it is filtered down to the box, the
// smallest whose picture covers the box; bounded so that its sides stay
// within largestSide (0: no limit) and its area within pixelBudget, past
// which the largest multiple under the bound. At least 1.
int PictureFitMultiple(const PictureRect& box, int pictureWidth, int pictureHeight, int largestSide,
                       long long pixelBudget);

// Called when a window is opened: the whole multiple of the picture for its
// first size, the largest that fits the usable desktop with room to spare
// for the window's frame and the desktop's panels (a twentieth of each
// side, at least 32 pixels), and at least 1.
int PictureWindowScale(int desktopWidth, int desktopHeight, int pictureWidth, int pictureHeight);
