#include "display/display_errors.h"

#include <iterator>

#include "platform/display_results.h"

namespace {

struct ErrorRow {
  int32_t code;
  const char* text;
};

// The era's COM codes that DirectDraw reports under names of its own.
constexpr int32_t Com(uint32_t value) { return static_cast<int32_t>(value); }

// Searched in full on each call: it is read once, when the display cannot be set up.
constexpr ErrorRow kErrorRows[] = {
    {DD_OK, "The request completed successfully."},
    {Com(0x80004001u), "The operation is not supported."},
    {Com(0x80004005u), "There is an undefined error condition."},
    {Com(0x800401F0u),
     "An attempt was made to call an interface method of a DirectDraw object created by CoCreateInstance before "
     "the object was initialized."},
    {Com(0x8007000Eu), "DirectDraw does not have enough memory to perform the operation."},
    {Com(0x80070057u), "One or more of the parameters passed to the method are incorrect."},
    {DisplayErrorCode(5), "The object has already been initialized."},
    {DisplayErrorCode(10), "A surface cannot be attached to another requested surface."},
    {DisplayErrorCode(20), "A surface cannot be detached from another requested surface."},
    {DisplayErrorCode(40), "The requested support is not available at this time."},
    {DisplayErrorCode(55), "An exception was raised while the requested operation was being carried out."},
    {DisplayErrorCode(90), "The height of the given rectangle is not a multiple of the alignment the hardware needs."},
    {DisplayErrorCode(95), "The requested primary surface does not match the format of the primary surface that exists."},
    {DisplayErrorCode(100), "One or more of the capability bits passed to the callback function are incorrect."},
    {DisplayErrorCode(110), "DirectDraw does not accept the clip list that was given."},
    {DisplayErrorCode(120), "DirectDraw does not support the requested mode."},
    {DisplayErrorCode(130), "DirectDraw was given a pointer to an object that is not valid."},
    {DisplayErrorCode(145), "The pixel format that was given is not valid."},
    {DisplayErrorCode(150), "The rectangle that was given is not valid."},
    {DisplayErrorCode(160), "The operation cannot be carried out while one or more surfaces are locked."},
    {DisplayErrorCode(170), "No 3-D hardware or emulation is present."},
    {DisplayErrorCode(180), "The operation needs alpha blending hardware, and none is present or available."},
    {DisplayErrorCode(205), "No clip list is available."},
    {DisplayErrorCode(210), "The operation needs colour conversion hardware, and none is present or available."},
    {DisplayErrorCode(212),
     "A create function is called without the IDirectDraw2::SetCooperativeLevel method being called."},
    {DisplayErrorCode(215), "The surface has no colour key at present."},
    {DisplayErrorCode(220), "There is no hardware support for the destination colour key."},
    {DisplayErrorCode(222), "DirectDraw cannot work with the display driver that is installed."},
    {DisplayErrorCode(225),
     "The operation requires the application to have exclusive mode, but the application does not have exclusive "
     "mode."},
    {DisplayErrorCode(230), "Flipping visible surfaces is not supported."},
    {DisplayErrorCode(240), "The operation needs the graphics device interface of the system, and it is not present."},
    {DisplayErrorCode(250), "The operation needs mirroring hardware, and none is present or available."},
    {DisplayErrorCode(255), "The requested item was not found."},
    {DisplayErrorCode(260), "The operation needs overlay hardware, and none is present or available."},
    {DisplayErrorCode(280), "The operation needs raster operation hardware, and none is present or available."},
    {DisplayErrorCode(290), "The operation needs rotation hardware, and none is present or available."},
    {DisplayErrorCode(310), "The operation needs stretching hardware, and none is present or available."},
    {DisplayErrorCode(316), "The operation needs a surface with a four-bit colour palette, and this surface has none."},
    {DisplayErrorCode(317),
     "The operation needs a surface with a four-bit palette of colour indexes, and this surface has none."},
    {DisplayErrorCode(320), "The operation needs a surface with an eight-bit colour palette, and this surface has none."},
    {DisplayErrorCode(330), "The operation needs texture mapping hardware, and none is present or available."},
    {DisplayErrorCode(335), "There is no hardware support for waiting on the vertical blank."},
    {DisplayErrorCode(340),
     "The operation to create a z-buffer in display memory or to perform a blit using a z-buffer cannot be carried "
     "out because there is no hardware support for z-buffers."},
    {DisplayErrorCode(350), "The overlays cannot be stacked in depth order because the hardware cannot do it."},
    {DisplayErrorCode(360), "The hardware the operation needs has already been given to another user."},
    {DisplayErrorCode(380), "DirectDraw does not have enough display memory to perform the operation."},
    {DisplayErrorCode(382), "The hardware cannot clip an overlay."},
    {DisplayErrorCode(384), "An overlay can have only one of its colour keys active at a time."},
    {DisplayErrorCode(387), "Access to the palette is refused because another thread holds it locked."},
    {DisplayErrorCode(400), "No source colour key has been set for the surface."},
    {DisplayErrorCode(410), "The surface is already attached to the surface it was to be attached to."},
    {DisplayErrorCode(420), "The surface already depends on the surface it was to be made dependent on."},
    {DisplayErrorCode(430), "Access to the surface is refused because another thread holds it locked."},
    {DisplayErrorCode(435),
     "The primary surface cannot be locked, because the display driver does not allow direct access to the screen."},
    {DisplayErrorCode(440), "Access to the surface is refused because the surface is hidden by another window."},
    {DisplayErrorCode(450),
     "Access to the surface is refused because the surface memory is gone. The DirectDrawSurface object representing "
     "this surface should have the IDirectDrawSurface3::Restore method called on it."},
    {DisplayErrorCode(460), "The surface to be detached is not attached to the other surface."},
    {DisplayErrorCode(470), "The requested height is more than the hardware can handle."},
    {DisplayErrorCode(480), "The requested size is more than the hardware can handle."},
    {DisplayErrorCode(490), "The requested width is more than the hardware can handle."},
    {DisplayErrorCode(510), "The requested pixel format is not supported."},
    {DisplayErrorCode(520), "The colour masks of the requested pixel format are not supported."},
    {DisplayErrorCode(537), "The screen is between two pictures at the moment, in its vertical blank."},
    {DisplayErrorCode(540), "An earlier blit to or from this surface has not finished yet."},
    {DisplayErrorCode(560), "The given rectangle does not start on the horizontal alignment the hardware needs."},
    {DisplayErrorCode(561), "The identifier given for the display driver does not name a known driver."},
    {DisplayErrorCode(562), "A DirectDraw object representing this driver has already been created for this process."},
    {DisplayErrorCode(563),
     "Hardware-only DirectDraw object creation is not possible; the driver does not support any hardware."},
    {DisplayErrorCode(564), "This process has already created a primary surface."},
    {DisplayErrorCode(565), "Software emulation is not available."},
    {DisplayErrorCode(566), "The region given to the clipper is too small."},
    {DisplayErrorCode(567), "A clip list cannot be set on a clipper that already follows a window."},
    {DisplayErrorCode(568), "No clipper is attached to the surface."},
    {DisplayErrorCode(569),
     "The operation needs a window, but none was given to the clipper or set as the cooperative level window."},
    {DisplayErrorCode(570), "DirectDraw cannot restore its state because its window was subclassed by someone else."},
    {DisplayErrorCode(571),
     "The DirectDraw cooperative level window handle has already been set. It cannot be reset while the process has "
     "surfaces or palettes created."},
    {DisplayErrorCode(572), "No palette is attached to the surface."},
    {DisplayErrorCode(573), "There is no hardware support for palettes of sixteen or two hundred and fifty-six colours."},
    {DisplayErrorCode(574), "A fast blit cannot be done while a clipper is attached to the source surface."},
    {DisplayErrorCode(575), "There is no blitting hardware."},
    {DisplayErrorCode(576), "There is no raster operation hardware for DirectDraw."},
    {DisplayErrorCode(577), "The position of an overlay was asked for while the overlay is hidden."},
    {DisplayErrorCode(578), "The position of an overlay was asked for before the overlay was given a destination."},
    {DisplayErrorCode(579), "The overlay's position on its destination surface is no longer valid."},
    {DisplayErrorCode(580), "An overlay operation was asked of a surface that is not an overlay."},
    {DisplayErrorCode(581), "An attempt was made to set the cooperative level when it was already set to exclusive."},
    {DisplayErrorCode(582), "The surface cannot be flipped because it is not part of a flipping chain."},
    {DisplayErrorCode(583), "Primary surfaces and the surfaces attached to them cannot be duplicated."},
    {DisplayErrorCode(584), "The surface was to be unlocked, but it was not locked."},
    {DisplayErrorCode(585), "A device context for drawing on the surface could not be created."},
    {DisplayErrorCode(586), "No device context has ever been created for the surface."},
    {DisplayErrorCode(587), "The surface cannot be restored because it was created in another display mode."},
    {DisplayErrorCode(588), "The surface cannot be restored because it was made together with another surface."},
    {DisplayErrorCode(589), "The surface is not one that uses a palette."},
    {DisplayErrorCode(590), "The display is currently in an unsupported mode."},
    {DisplayErrorCode(591), "The operation needs mipmap texture hardware, and none is present or available."},
    {DisplayErrorCode(592), "The surface is of the wrong type for the requested operation."},
    {DisplayErrorCode(600), "The display hardware cannot hold surfaces in its optimized form."},
    {DisplayErrorCode(601), "The surface is an optimized surface that has not been given any memory yet."},
    {DisplayErrorCode(602), "Exclusive mode cannot be set without a window to take the keyboard focus."},
    {DisplayErrorCode(620), "A device context has already been handed out for the surface, and only one can be held."},
    {DisplayErrorCode(630), "Display memory outside the graphics card was asked for, and the device has none."},
    {DisplayErrorCode(640), "The surface memory could not be held fixed in physical memory."},
    {DisplayErrorCode(660), "The surface memory could not be released from physical memory."},
    {DisplayErrorCode(680), "The surface memory was to be released from physical memory, but it was never held there."},
    {DisplayErrorCode(690), "There is more data than the given buffer can hold."},
    {DisplayErrorCode(695), "The video port is not active."},
    {DisplayErrorCode(699), "A surface made by one device cannot be used directly by another device."},
};

static_assert(std::size(kErrorRows) == 108, "one row for each result code of the table");

}  // namespace

const char* DisplayErrorText(int32_t code) {
  for (const ErrorRow& row : kErrorRows)
    if (row.code == code) return row.text;
  return "The request reported an unknown error.";
}
