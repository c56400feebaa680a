// The few Windows Runtime interfaces through which the setup program registers and removes the
// Windows 11 package, as the Windows SDK's windows.management.deployment.h and
// windows.foundation.h lay them out: MinGW-w64 has no header for Windows.Management.Deployment
// and declares no Windows.Foundation.Uri. Each interface is spelled out only up to the last
// method the program calls; the slots before it keep their names, and their parameters are
// typed only as far as the call needs.
#pragma once

#include <windows.h>
#include <asyncinfo.h>
#include <hstring.h>
#include <inspectable.h>

// Windows.Foundation.Uri: only ever handed on, never asked anything.
inline constexpr IID kIidUriRuntimeClass = {
    0x9E365E57, 0x48B2, 0x4160, {0x95, 0x6F, 0xC7, 0x38, 0x51, 0x20, 0xBB, 0xFC}};
struct IUriRuntimeClass : IInspectable {};

inline constexpr IID kIidUriRuntimeClassFactory = {
    0x44A9796F, 0x723E, 0x4FDF, {0xA2, 0x18, 0x03, 0x3E, 0x75, 0xB0, 0xC0, 0x84}};
struct IUriRuntimeClassFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateUri(HSTRING uri, IUriRuntimeClass** instance) = 0;
};

// Windows.Management.Deployment.DeploymentResult.
inline constexpr IID kIidDeploymentResult = {
    0x2563B9AE, 0xB77D, 0x4C1F, {0x8A, 0x7B, 0x20, 0xE6, 0xAD, 0x51, 0x5E, 0xF3}};
struct IDeploymentResult : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_ErrorText(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ActivityId(GUID* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExtendedErrorCode(HRESULT* value) = 0;
};

// IAsyncOperationWithProgress<DeploymentResult, DeploymentProgress>, what every deployment call
// hands back. Its IID is derived from the parameterized type's signature; the program never
// asks for it, it only calls GetResults on the operation it was given and reads its state
// through IAsyncInfo.
inline constexpr IID kIidDeploymentOperation = {
    0x5A97AAB7, 0xB6EA, 0x55AC, {0xA5, 0xDC, 0xD5, 0xB1, 0x64, 0xD9, 0x4E, 0x94}};
struct IDeploymentOperation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Progress(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Progress(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(IDeploymentResult** results) = 0;
};

// Windows.Management.Deployment.PackageManager's default interface.
inline constexpr IID kIidPackageManager = {
    0x9A7D4B65, 0x5E8F, 0x4FC7, {0xA2, 0xE5, 0x7F, 0x69, 0x25, 0xCB, 0x8B, 0x53}};
struct IPackageManager : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE AddPackageAsync(IUriRuntimeClass* packageUri,
                                                      IInspectable* dependencyPackageUris,
                                                      UINT32 deploymentOptions,
                                                      IDeploymentOperation** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdatePackageAsync(IUriRuntimeClass* packageUri,
                                                         IInspectable* dependencyPackageUris,
                                                         UINT32 deploymentOptions,
                                                         IDeploymentOperation** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePackageAsync(HSTRING packageFullName,
                                                         IDeploymentOperation** operation) = 0;
};

// The PackageManager's second interface (Windows 10 and later): removal with options.
inline constexpr IID kIidPackageManager2 = {
    0xF7AAD08D, 0x0840, 0x46F2, {0xB5, 0xD8, 0xCA, 0xD4, 0x76, 0x93, 0xA0, 0x95}};
// RemovalOptions.RemoveForAllUsers (Windows 10 2004 and later).
inline constexpr UINT32 kRemoveForAllUsers = 0x80000;
struct IPackageManager2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE RemovePackageWithOptionsAsync(
        HSTRING packageFullName, UINT32 removalOptions, IDeploymentOperation** operation) = 0;
};

// Windows.Management.Deployment.AddPackageOptions (Windows 10 2004 and later).
inline constexpr IID kIidAddPackageOptions = {
    0x05CEE018, 0xF68F, 0x422B, {0x95, 0xA4, 0x66, 0x67, 0x9E, 0xC7, 0x7F, 0xC0}};
struct IAddPackageOptions : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_DependencyPackageUris(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TargetVolume(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TargetVolume(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageFamilyNames(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageUris(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RelatedPackageUris(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExternalLocationUri(IUriRuntimeClass** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StubPackageOption(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StubPackageOption(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DeveloperMode(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DeveloperMode(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForceAppShutdown(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForceAppShutdown(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForceTargetAppShutdown(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForceTargetAppShutdown(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForceUpdateFromAnyVersion(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForceUpdateFromAnyVersion(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InstallAllResources(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_InstallAllResources(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequiredContentGroupOnly(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RequiredContentGroupOnly(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RetainFilesOnFailure(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RetainFilesOnFailure(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StageInPlace(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StageInPlace(boolean value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllowUnsigned(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowUnsigned(boolean value) = 0;
};

// The PackageManager's interface of Windows 10 2004 and later.
inline constexpr IID kIidPackageManager9 = {
    0x1AA79035, 0xCC71, 0x4B2E, {0x80, 0xA6, 0xC7, 0x04, 0x1D, 0x85, 0x79, 0xA7}};
struct IPackageManager9 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE FindProvisionedPackages(IInspectable** packages) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPackageByUriAsync(IUriRuntimeClass* packageUri,
                                                           IAddPackageOptions* options,
                                                           IDeploymentOperation** operation) = 0;
};
