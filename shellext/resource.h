// Resource and control ids of the extension DLL.
#pragma once
