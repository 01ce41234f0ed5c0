#pragma once

// Code that leaves the upper halves of the wide vector registers in use (Qt's
// application start-up does, on recent x86 processors) makes every later
// switch between plain and wide vector instructions expensive. The picture
// loops switch at every call into the maths library, so a run after such
// code can take several times as long; these put the registers in either
// state on purpose. Elsewhere they do nothing.
void clearUpperVectorState();
void dirtyUpperVectorState();
