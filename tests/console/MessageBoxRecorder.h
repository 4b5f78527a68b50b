// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MessageBox.h"

#include <functional>
#include <string>
#include <vector>

// Records every message box shown while it lives, answering with `Answer` (or through `OnShow`).
class TMessageBoxRecorder
{
public:
    TMessageBoxRecorder()
    {
        FPrevious = SetMessageBoxHandler([this](const TMessageBoxRequest &request) {
            Boxes.push_back(request);
            if (OnShow)
                OnShow(request);
            return Answer;
        });
    }
    ~TMessageBoxRecorder() { SetMessageBoxHandler(FPrevious); }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const TMessageBoxRequest &box : Boxes)
            texts.push_back(box.Text);
        return texts;
    }

    std::vector<TMessageBoxRequest> Boxes;
    int Answer = idOk;
    std::function<void(const TMessageBoxRequest &)> OnShow;

private:
    TMessageBoxHandler FPrevious;
};

inline bool operator==(const TMessageBoxRequest &a, const TMessageBoxRequest &b)
{
    return a.Text == b.Text && a.Caption == b.Caption && a.Flags == b.Flags;
}
