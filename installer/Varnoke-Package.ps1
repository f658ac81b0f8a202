# Registers or removes the sparse package that gives the installed module
# package identity, so that Windows 11's Explorer shows its command in the
# top-level context menu. The MSI installs this script beside the module
# and the package and runs it on Windows 11 only (build 22000 or later):
#   register     for the user who runs it: the installing user, and every
#                user at their next logon through Active Setup; the
#                package's external location is this script's folder, the
#                install folder;
#   activesetup  (as the system) the Active Setup entry that runs
#                `register` at each user's next logon, once per version;
#   remove       (at uninstall, as the system) the package for every user
#                who has it, and the Active Setup entry.
# Any failure ends the script with a non-zero status, which the installer
# reports.
param(
  [Parameter(Mandatory = $true)]
  [ValidateSet('register', 'activesetup', 'remove')]
  [string] $Action,
  # The product's version (a.b.c), for Active Setup.
  [string] $Version = ''
)
$ErrorActionPreference = 'Stop'
$packageName = '@VARNOKE_PACKAGE_NAME@'
$packageFile = Join-Path $PSScriptRoot '@VARNOKE_PACKAGE_FILE@'
$activeSetupKey = 'HKLM:\SOFTWARE\Microsoft\Active Setup\Installed Components\@VARNOKE_ACTIVE_SETUP_ID@'

if ($Action -eq 'register') {
  Add-AppxPackage -Path $packageFile -ExternalLocation $PSScriptRoot
  # Explorer reads the package's menu entries again only after an
  # association change.
  Add-Type -Namespace Varnoke -Name Shell -MemberDefinition @'
[System.Runtime.InteropServices.DllImport("shell32.dll")]
public static extern void SHChangeNotify(int eventId, uint flags, System.IntPtr item1, System.IntPtr item2);
'@
  $SHCNE_ASSOCCHANGED = 0x08000000
  [Varnoke.Shell]::SHChangeNotify($SHCNE_ASSOCCHANGED, 0, [System.IntPtr]::Zero, [System.IntPtr]::Zero)
} elseif ($Action -eq 'activesetup') {
  if ($Version -notmatch '^\d+\.\d+\.\d+$') { throw "activesetup needs -Version a.b.c, not '$Version'" }
  $powershell = Join-Path ([Environment]::GetFolderPath('System')) 'WindowsPowerShell\v1.0\powershell.exe'
  New-Item -Path $activeSetupKey -Force | Out-Null
  Set-ItemProperty -Path $activeSetupKey -Name '(default)' -Value 'Varnoke Shell Extension'
  Set-ItemProperty -Path $activeSetupKey -Name 'StubPath' -Value `
    "`"$powershell`" -NoProfile -NonInteractive -ExecutionPolicy Bypass -WindowStyle Hidden -File `"$PSCommandPath`" register"
  Set-ItemProperty -Path $activeSetupKey -Name 'Version' -Value ($Version -replace '\.', ',')
  Set-ItemProperty -Path $activeSetupKey -Name 'IsInstalled' -Value 1 -Type DWord
} else {
  Get-AppxPackage -AllUsers -Name $packageName | Remove-AppxPackage -AllUsers
  if (Test-Path $activeSetupKey) { Remove-Item -Path $activeSetupKey -Recurse }
}
