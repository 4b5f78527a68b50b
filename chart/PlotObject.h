// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotMeasure.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <functional>

class QPainter;
class TPlotAxis;
class TPlotMasterManager;
class TPlotManagerBase;
class TPlotObject;

// The hooks an object's manager gives it: every change, its insertion, its removal and a new name, and (optional)
// a change of what the data view and the axes show only: new data, an axis scrolled.
struct TPlotObjectHooks {
    std::function<void(TPlotObject *)> OnChange;
    std::function<void(TPlotObject *)> OnViewChange;
    std::function<void(TPlotObject *)> OnInsert;
    std::function<void(TPlotObject *)> OnRemove;
    std::function<void(TPlotObject *, const QString &oldName)> OnRename;
};

// What drawing needs besides the painter.
struct TPlotDrawContext {
    const TPlotMeasure &Measure;
    QColor BackGroundColor;
};

// Declares a stored property with a getter and a setter that does nothing for an equal value and otherwise stores
// the value and notifies the change. Leaves the class in the private section.
#define PLOT_PROPERTY(Type, Name, ...)                                                                                 \
public:                                                                                                                \
    const Type &Name() const                                                                                           \
    {                                                                                                                  \
        return F##Name;                                                                                                \
    }                                                                                                                  \
    void Set##Name(const Type &value)                                                                                  \
    {                                                                                                                  \
        SetProperty(F##Name, value);                                                                                   \
    }                                                                                                                  \
                                                                                                                       \
private:                                                                                                               \
    Type F##Name { __VA_ARGS__ };

// As PLOT_PROPERTY, for properties that move the object's band: the layout is rebuilt with the next paint.
#define PLOT_LAYOUT_PROPERTY(Type, Name, ...)                                                                          \
public:                                                                                                                \
    const Type &Name() const                                                                                           \
    {                                                                                                                  \
        return F##Name;                                                                                                \
    }                                                                                                                  \
    void Set##Name(const Type &value)                                                                                  \
    {                                                                                                                  \
        SetLayoutProperty(F##Name, value);                                                                             \
    }                                                                                                                  \
                                                                                                                       \
private:                                                                                                               \
    Type F##Name { __VA_ARGS__ };

// Every object inside the chart: a name, visibility, the drawing layer, and change notification through the hooks of
// its manager. Objects are created by their managers, which pass themselves as owner; construction refuses a missing
// owner or hook with the chart's texts.
class TPlotObject
{
public:
    TPlotObject(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);
    virtual ~TPlotObject() = default;
    TPlotObject(const TPlotObject &) = delete;
    TPlotObject &operator=(const TPlotObject &) = delete;

    TPlotMasterManager &Owner() const { return *FOwner; }

    const QString &Name() const { return FName; }
    void SetName(const QString &name);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    virtual void NotifyChange();
    virtual void NotifyLayoutChange();
    // A change that only the data view and the axes show (new data, an axis scrolled or zoomed).
    void NotifyViewChange();

    // Called by the manager once the object is in its list; named tells whether the caller gave it a name.
    virtual void Inserted(bool named);
    // Notices about other objects of the same chart.
    virtual void AxisRemoved(TPlotAxis *) { }
    virtual void AxisRenamed(TPlotAxis *, const QString & /*oldName*/) { }
    virtual void ObjectRemoved(TPlotObject *) { }

    // Called for every object before a paint, after the layout.
    virtual void DrawSetup(const TPlotDrawContext &) { }
    virtual void Draw(QPainter &, const TPlotDrawContext &) { }

    // Mouse and focus, in chart pixels.
    virtual bool HitTest(const QPoint &) const { return false; }
    virtual void MouseDown(const QPoint &) { }
    virtual void MouseMove(const QPoint &) { }
    virtual void MouseUp(const QPoint &) { }
    virtual void GotFocus() { }
    virtual void LostFocus() { }

    PLOT_PROPERTY(int, Layer, 100)
    PLOT_PROPERTY(bool, PopupEnabled, true)

protected:
    template <class T> void SetProperty(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        NotifyChange();
    }
    template <class T> void SetLayoutProperty(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        NotifyLayoutChange();
    }

private:
    friend class TPlotManagerBase;

    TPlotMasterManager *FOwner;
    TPlotObjectHooks FHooks;
    QString FName;
    bool FVisible = true;
    bool FEnabled = true;
};
