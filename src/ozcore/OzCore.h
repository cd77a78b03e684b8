#pragma once
// The common library in one include.
#include "ozcore/CErrorLog.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
