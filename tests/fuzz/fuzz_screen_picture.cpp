// The captured screen and its head: any bytes draw a picture of the size the head promises
// inside the border, and every pixel of it can be read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/ScreenPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    vaddex::PictureBorder border;
    border.show = (data[0] & 1) != 0;
    border.space = (data[0] >> 1) & 3;
    border.frame = (data[0] >> 3) & 3;
    const std::string image(reinterpret_cast<const char*>(data) + 1, size - 1);
    vaddex::ScreenPicture picture = vaddex::ScreenPicture::Render(image, border);
    int edge = border.show ? border.space + border.frame : 0;
    if (picture.Width() != vaddex::ScreenPicture::ScreenColumns(image) + 2 * edge ||
        picture.Height() != vaddex::ScreenPicture::ScreenRows(image) + 2 * edge) {
        std::abort();
    }
    int black = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            black += picture.IsBlack(x, y) ? 1 : 0;
        }
    }
    return black < 0;
}
