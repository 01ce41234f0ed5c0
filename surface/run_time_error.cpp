#include "run_time_error.h"

std::string describe(SurfaceStatus status)
{
    switch (status) {
    case SurfaceStatus::Ok:
        return "The drawing operation succeeded.";
    case SurfaceStatus::InvalidCoordinate:
        return "A drawing operation was given a coordinate that is not a finite number.";
    case SurfaceStatus::InvalidColor:
        return "A drawing operation was given a colour that is not in the palette.";
    case SurfaceStatus::InvalidPenWidth:
        return "The pen width must be a whole number of pixels from 1 to 32767.";
    case SurfaceStatus::InvalidRadius:
        return "A circle was given a radius that is negative or not a finite number.";
    case SurfaceStatus::DeviceFailure:
        return "The drawing surface could not carry out the operation.";
    }
    return "The drawing operation failed.";
}
