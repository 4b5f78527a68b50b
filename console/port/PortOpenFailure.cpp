// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/port/PortOpenFailure.h"

#include <cerrno>

std::string OpenFailureReason(int error)
{
    switch (error) {
    case 0:
        return "无法打开";
    case EBUSY:
        return "设备忙（已被其他程序占用）";
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return "设备不存在";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case ENOTTY:
    case EISDIR:
        return "不是串口设备";
    case EIO:
        return "设备无法使用（输入输出错误）";
    case ECONNREFUSED:
        return "连接被拒绝（该端口没有服务）";
    case ETIMEDOUT:
        return "连接超时（5 秒内没有应答）";
    case EHOSTUNREACH:
    case ENETUNREACH:
        return "无法到达主机（名称未知或网络不通）";
    case EPROTO:
        return "服务器没有同意 RFC 2217 串口控制（COM-PORT-OPTION），它不像 RFC 2217 服务器；"
               "普通 TCP 端口请用 tcp://主机:端口";
    case EPROTONOSUPPORT:
        return "服务器拒绝了 RFC 2217 串口控制（COM-PORT-OPTION）；普通 TCP 端口请用 tcp://主机:端口";
    case ECONNRESET:
        return "连接被服务器关闭";
    case EINVAL:
        return "名称无效（应为 rfc2217://主机:端口 或 tcp://主机:端口）";
    default:
        return "无法打开（错误码 " + std::to_string(error) + "）";
    }
}

std::string OpenFailureDetail(const std::string &devicePath, int error, const std::string &permissionAdvice)
{
    std::string detail = devicePath + "：" + OpenFailureReason(error);
    if (!permissionAdvice.empty())
        detail += "\n" + permissionAdvice;
    return detail;
}
