// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotObject.h"

#include <memory>
#include <type_traits>
#include <vector>

// The list of one kind of chart object. Objects are created here, given the master manager's hooks and a name
// ("<base name> <n>", one above the highest n in use, when none is given), and removed with a notice to the others.
// Indexes outside the list raise the list-index error.
class TPlotManagerBase
{
public:
    TPlotManagerBase(TPlotMasterManager &master, const QString &baseName);
    virtual ~TPlotManagerBase();
    TPlotManagerBase(const TPlotManagerBase &) = delete;
    TPlotManagerBase &operator=(const TPlotManagerBase &) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    TPlotObject *Object(int index) const;
    int IndexOf(const TPlotObject *object) const;
    TPlotObject *Find(const QString &name) const;

    void Remove(int index);
    void Clear();

protected:
    void Insert(std::unique_ptr<TPlotObject> object, const QString &name);
    TPlotObjectHooks MasterHooks() const;
    TPlotMasterManager &FMaster;

private:
    QString NextName() const;

    QString FBaseName;
    std::vector<std::unique_ptr<TPlotObject>> FItems;
};

template <class T> class TPlotObjectManager : public TPlotManagerBase
{
public:
    using TPlotManagerBase::TPlotManagerBase;

    T *Item(int index) const { return static_cast<T *>(Object(index)); }
    T *FindItem(const QString &name) const { return static_cast<T *>(Find(name)); }

    // Creates an object of class C (T or a class derived from it) and appends it.
    template <class C = T> C *Add(const QString &name = QString())
    {
        static_assert(std::is_base_of_v<T, C>);
        auto object = std::make_unique<C>(&FMaster, MasterHooks());
        C *raw = object.get();
        Insert(std::move(object), name);
        return raw;
    }
};
