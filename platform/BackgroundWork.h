#pragma once
// Long work (a join, a load, a search) runs on a worker thread while the windows keep painting.
// Input to the program's windows waits meanwhile, so nothing else can be started; when the work
// takes more than about half a second, a small modal progress window centred on its owner tells
// what is being done, how far it got, and offers 中止 (Esc too), which stops the job at its next
// cancel point. Short work shows nothing but the busy pointer, as before.
#include <QString>

#include <functional>

#include "lines/JobControl.h"

class QWidget;

// Runs `work` on a worker thread and returns when it has ended; whatever it threw is thrown here
// (EJobCancelled when it was stopped). `doing` names the work in the window ("結合中", "読込中"...).
// Called while other work runs (a nested request), `work` simply runs here.
void RunInBackground(QWidget *owner, const QString &doing, JobControl &job, const std::function<void()> &work);

// For the worker: runs `call` on the window thread and waits for it. The progress window closes
// for good first and input flows again, so a box it shows is answered with nothing above it.
// On the window thread itself, `call` just runs.
void CallOnWindowThread(const std::function<void()> &call);

// Whether work is running in the background (a view must not change its lines meanwhile).
bool BackgroundWorkRunning();
// Stops the work running in the background, if any; true when there was some.
bool StopBackgroundWork();

// How long work runs before the progress window shows; tests shorten it.
void SetProgressDelayForTests(int milliseconds);
