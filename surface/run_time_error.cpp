#include "run_time_error.h"

// Every text the program shows is Simplified Chinese, these too.
std::string describe(SurfaceStatus status)
{
    switch (status) {
    case SurfaceStatus::Ok:
        return "绘图操作已完成。";
    case SurfaceStatus::InvalidCoordinate:
        return "绘图操作的坐标不是有限的数值。";
    case SurfaceStatus::InvalidColor:
        return "绘图操作的颜色不在调色板中。";
    case SurfaceStatus::InvalidPenWidth:
        return "画笔宽度必须是 1 到 32767 之间的整数像素。";
    case SurfaceStatus::InvalidRadius:
        return "圆的半径是负数或不是有限的数值。";
    case SurfaceStatus::DeviceFailure:
        return "绘图表面无法完成这项操作。";
    }
    return "绘图操作失败。";
}

void raiseRunTimeError(SurfaceStatus status) { throw RunTimeError(describe(status)); }

void raiseRunTimeError(FloatingPointFault fault) { throw RunTimeError(describe(fault)); }

std::string describe(FloatingPointFault fault)
{
    switch (fault) {
    case FloatingPointFault::InvalidOperation:
        return "无效的浮点运算：图形中有一个点不是数值。";
    case FloatingPointFault::Overflow:
        return "浮点溢出：图形中有一个点超出了单精度的范围。";
    }
    return "浮点运算出错。";
}
