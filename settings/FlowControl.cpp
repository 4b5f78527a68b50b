// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FlowControl.h"

#include "settings/ExtensionSettings.h"

std::string_view FlowControlWord(TFlowControl flow)
{
    switch (flow) {
    case TFlowControl::XonXoff:
        return "xonxoff";
    case TFlowControl::RtsCts:
        return "rtscts";
    case TFlowControl::None:
        break;
    }
    return "none";
}

TFlowControl FlowControlOfWord(std::string_view word)
{
    if (word == "xonxoff")
        return TFlowControl::XonXoff;
    if (word == "rtscts")
        return TFlowControl::RtsCts;
    return TFlowControl::None;
}

TFlowControl ReadFlowControl(const std::string &path)
{
    return FlowControlOfWord(ExtensionSettings::ReadText(path, ExtensionSettings::FlowKey, "none"));
}

bool WriteFlowControl(const std::string &path, TFlowControl flow)
{
    return ExtensionSettings::WriteText(path, ExtensionSettings::FlowKey, FlowControlWord(flow));
}
